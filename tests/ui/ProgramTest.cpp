// The shipped program started as a user starts it, driven from outside its process.
#include "datetime/TimeValue.h"
#include "res/resource.h"
#include "support/RunningProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring DisplayName(const std::wstring& path)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
    return info.szDisplayName;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (ProgramPath().empty())
            GTEST_SKIP() << "Kalendrix.exe is not beside the test program";
        RegDeleteKeyW(HKEY_CURRENT_USER, kProfileKey);
    }
    void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kProfileKey); }

    static constexpr const wchar_t* kProfileKey = L"Software\\tavolin\\Kalendrix\\Prop";
    TempFolder folder;
};

} // namespace

TEST_F(Program, CommandLineArgumentsAreSplitByTheRuntimeAndHandedOverInOrder)
{
    std::wstring blank = folder.MakeFile(L"a b.txt", 10);
    std::wstring relative = folder.MakeFile(L"rel.txt", 10);
    RunningProgram program(L"\"" + blank + L"\" rel.txt", folder.Path());
    ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";

    EXPECT_EQ(SendMessageW(program.Item(IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(program.ListText(0, 0), DisplayName(blank)) << "the quoted path, without its quotes";
    EXPECT_EQ(program.ListText(1, 0), DisplayName(relative)) << "the bare name, relative to the working folder";
}

// A user starts the program with a file, ticks "更新：", changes the day and applies.
TEST_F(Program, TickingTheWriteRowChangingTheDayAndApplyingWritesTheFile)
{
    std::wstring path = folder.MakeFile(L"report.txt", 10);
    TimeValue before = 0;
    ASSERT_TRUE(BuildFromLocal({2011, 1, 15, 12, 0, 0}, &before));
    FILETIME write;
    ASSERT_TRUE(TimeValueToFileTime(before, &write));
    ASSERT_TRUE(WriteStamps(path, nullptr, nullptr, &write));

    RunningProgram program(L"\"" + path + L"\"", folder.Path());
    ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";
    wchar_t day[8] = L"";
    // GetWindowText does not ask a control of another process for its text; the message does.
    SendMessageW(program.Item(IDC_WRITE_DAY), WM_GETTEXT, 8, reinterpret_cast<LPARAM>(day));
    EXPECT_STREQ(day, L"15");

    SendMessageW(program.Item(IDC_SWITCH_WRITE), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(program.Item(IDC_WRITE_DAY)));
    SendMessageW(program.Item(IDC_WRITE_DAY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
    EXPECT_TRUE(IsWindowEnabled(program.Item(IDC_APPLY)));
    SendMessageW(program.Item(IDC_APPLY), BM_CLICK, 0, 0);
    ASSERT_TRUE(program.WaitUntilIdle()) << "the apply did not end";
    EXPECT_FALSE(IsWindowEnabled(program.Item(IDC_APPLY)));

    TimeValue after = 0;
    ASSERT_TRUE(BuildFromLocal({2011, 1, 20, 12, 0, 0}, &after));
    FileStamps stored;
    ASSERT_TRUE(ReadStamps(path, &stored));
    EXPECT_EQ(UnixSecondsOf(stored.write), static_cast<ULONGLONG>(after));
}

// Regression: the message about a stamp the program cannot show came before the dialog,
// while nothing was on the screen yet.
TEST_F(Program, StampItCannotShowIsToldOverTheShownDialog)
{
    std::wstring path = folder.MakeFile(L"sixties.txt");
    FILETIME sixties = StampOfUtc(1965, 6, 1, 12, 0, 0);
    ASSERT_TRUE(WriteStamps(path, nullptr, &sixties, nullptr));
    RunningProgram program(L"\"" + path + L"\"", folder.Path());
    ASSERT_NE(program.Dialog(), nullptr) << "the dialog was not shown";
    HWND box = nullptr;
    for (int tries = 0; tries < 1000 && box == nullptr; ++tries) {
        box = FindWindowW(L"#32770", L"Kalendrix");
        if (box == nullptr)
            Sleep(10);
    }
    ASSERT_NE(box, nullptr) << "no message about the 1965 stamp";
    EXPECT_EQ(GetWindow(box, GW_OWNER), program.Dialog());
    wchar_t text[512] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    EXPECT_EQ(std::wstring(text).find(path), 0u);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
