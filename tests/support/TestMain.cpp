// Test entry. TZ stays as the test was started with: the program's conversions take the
// Windows zone (which Wine derives from the host's TZ) and must not read the variable.
#include "TempFolder.h"
#include "TestEnvironment.h"

#include "../../framework/Application.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdlib>

namespace {

std::wstring g_hostZone;

// Runtime-style TZ strings that spell out the rules of a zone the tests know by name.
const struct {
    const wchar_t* rules;
    const wchar_t* zone;
} kSpelledOutZones[] = {
    {L"CET-1CEST,M3.5.0,M10.5.0/3", L"Europe/Berlin"},
    {L"JST-9", L"Asia/Tokyo"},
};

} // namespace

const std::wstring& HostZone()
{
    return g_hostZone;
}

int wmain(int argc, wchar_t** argv)
{
    if (const wchar_t* zone = _wgetenv(L"TZ"))
        g_hostZone = zone;
    for (const auto& spelled : kSpelledOutZones) {
        if (g_hostZone == spelled.rules)
            g_hostZone = spelled.zone;
    }

    // The shell's folder interface needs COM on the thread that uses it, as the program does.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    // The undo journal of every test, and of the programs the tests start, is the tests' own:
    // no test reads or removes the user's.
    TempFolder journalFolder;
    SetEnvironmentVariableW(L"KALENDRIX_JOURNAL_FOLDER", journalFolder.Path().c_str());
    // The main dialog hands the runtime's arguments over as files; tests choose their own.
    __argc = 1;
    TheApplication()->UseRegistryKey(L"tavolin");
    return RUN_ALL_TESTS();
}
