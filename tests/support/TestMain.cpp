// Test entry: the runtime takes its zone from the system, not from a Linux TZ name.
#include "TempFolder.h"
#include "TestEnvironment.h"

#include "../../framework/WinApp.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdlib>
#include <time.h>

namespace {
std::wstring g_hostZone;
}

const std::wstring& HostZone()
{
    return g_hostZone;
}

int wmain(int argc, wchar_t** argv)
{
    if (const wchar_t* zone = _wgetenv(L"TZ"))
        g_hostZone = zone;
    // The Microsoft runtime reads TZ in its own format and misreads Linux zone names.
    _wputenv(L"TZ=");
    _tzset();

    // The shell's folder interface needs COM on the thread that uses it, as the program does.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    // The undo journal of every test, and of the programs the tests start, is the tests' own:
    // no test reads or removes the user's.
    TempFolder journalFolder;
    SetEnvironmentVariableW(L"KALENDRIX_JOURNAL_FOLDER", journalFolder.Path().c_str());
    // The main dialog hands the runtime's arguments over as files; tests choose their own.
    __argc = 1;
    AfxGetApp()->SetRegistryKey(L"tavolin");
    return RUN_ALL_TESTS();
}
