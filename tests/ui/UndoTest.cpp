// Taking back the last apply from the system menu, also after the program was ended.
#include "model/ChangeJournal.h"
#include "res/resource.h"
#include "support/ApplyFixture.h"
#include "support/RunningProgram.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

// Stamps with fractions of a second, as file systems keep them.
const LONGLONG kWriteBefore = 127531776001234567LL;  // 2005-02-18 05:20:00.1234567 UTC
const LONGLONG kAccessBefore = 127633815307654321LL; // 2005-06-16 07:45:30.7654321 UTC

FILETIME AsFileTime(LONGLONG stamp)
{
    return {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
}

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FileStamps StampsOf(const std::wstring& path)
{
    FileStamps stamps = {};
    EXPECT_TRUE(ReadStamps(path, &stamps));
    return stamps;
}

std::wstring MakeFile(const TempFolder& folder, const std::wstring& name)
{
    std::wstring path = folder.MakeFile(name, 5);
    FILETIME write = AsFileTime(kWriteBefore);
    FILETIME access = AsFileTime(kAccessBefore);
    EXPECT_TRUE(WriteStamps(path, nullptr, &access, &write));
    return path;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A click that an unexpected message box of the program cannot hold up for ever; the work
// it starts is waited for.
void Click(const RunningProgram& program, int id)
{
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(program.Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result), 0)
        << "the click on " << id << " did not return: a message box?";
    EXPECT_TRUE(program.WaitUntilIdle()) << "the work the click on " << id << " started did not end";
}

void Undo(HWND dialog)
{
    // Posted: the program may show a message box from inside the command.
    PostMessageW(dialog, WM_SYSCOMMAND, IDM_UNDO_LAST_CHANGE, 0);
}

class UndoProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (ProgramPath().empty())
            GTEST_SKIP() << "Kalendrix.exe is not beside the test program";
        ASSERT_FALSE(DefaultJournalPath().empty());
        DeleteFileW(DefaultJournalPath().c_str());
        // The switches start from their defaults, not from what an earlier run stored.
        RegDeleteKeyW(HKEY_CURRENT_USER, kProfileKey);
    }
    void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kProfileKey); }

    static constexpr const wchar_t* kProfileKey = L"Software\\tavolin\\Kalendrix\\Prop";
    TempFolder folder;
};

} // namespace

// Three files with sub-second stamps, one of them read-only: their write day changed and
// the read-only flag cleared in one apply; the program is ended; another program changes
// one file; the program is started again and the undo puts back the other two exactly.
TEST_F(UndoProgram, UndoAfterARestartPutsBackEveryFileButOneChangedSince)
{
    const std::wstring locked = MakeFile(folder, L"locked.txt");
    const std::wstring plain = MakeFile(folder, L"plain.txt");
    const std::wstring touched = MakeFile(folder, L"touched.txt");
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), GetFileAttributesW(locked.c_str()) | FILE_ATTRIBUTE_READONLY));
    {
        RunningProgram program(L"\"" + locked + L"\" \"" + plain + L"\" \"" + touched + L"\"", folder.Path());
        ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";
        Click(program, IDC_SWITCH_WRITE);
        SendMessageW(program.Item(IDC_WRITE_DAY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
        Click(program, IDC_SWITCH_ATTRIBUTE);
        Click(program, IDC_ATTR_READONLY);
        Click(program, IDC_APPLY);
        EXPECT_FALSE(IsWindowEnabled(program.Item(IDC_APPLY)));
    }
    for (const std::wstring& path : {locked, plain, touched})
        ASSERT_NE(AsStamp(StampsOf(path).write), kWriteBefore) << "the apply did not write " << path.c_str();
    ASSERT_FALSE(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY);
    const FILETIME someoneElses = StampOfUtc(2020, 2, 2, 2, 2, 2);
    ASSERT_TRUE(WriteStamps(touched, nullptr, nullptr, &someoneElses));

    RunningProgram program(L"", folder.Path());
    ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";
    Undo(program.Dialog());
    const std::wstring asked = program.TakeMessageBox(L"Kalendrix", 10000);
    EXPECT_NE(asked.find(L" の適用（3 個のファイル、更新日時、属性）を元に戻しますか？"), std::wstring::npos)
        << "the undo first names the apply it takes back: " << asked.c_str();
    const std::wstring told = program.TakeMessageBox(L"Kalendrix", 10000);
    const std::wstring left = touched + L"：適用の後に変更されています\r\n"
                                        L"以上のファイルは元に戻していません。ほかのファイルは元に戻しました。\r\n"
                                        L"記録は残してあります。もう一度「直前の変更を元に戻す」を選ぶと、残ったファイルをやり直します。";
    EXPECT_NE(told.find(L" の適用（3 個のファイル、更新日時、属性）を元に戻しました。ただし次のファイルは元に戻していません。\r\n" +
                        left),
              std::wstring::npos)
        << told.c_str();

    for (const std::wstring& path : {locked, plain}) {
        EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore) << "sub-seconds included: " << path.c_str();
        EXPECT_EQ(AsStamp(StampsOf(path).access), kAccessBefore) << path.c_str();
    }
    EXPECT_TRUE(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY) << "read-only again";
    EXPECT_EQ(AsStamp(StampsOf(touched).write), AsStamp(someoneElses)) << "the other program's change is kept";
    EXPECT_TRUE(Exists(DefaultJournalPath())) << "a file was left: the journal stays for the next try";

    // A second undo finds the others back already and leaves the changed file again.
    Undo(program.Dialog());
    program.TakeMessageBox(L"Kalendrix", 10000);
    EXPECT_NE(program.TakeMessageBox(L"Kalendrix", 10000).find(left), std::wstring::npos);
    EXPECT_EQ(AsStamp(StampsOf(touched).write), AsStamp(someoneElses));
    EXPECT_EQ(AsStamp(StampsOf(plain).write), kWriteBefore);
}

// The file is named relative to the first run's working folder; the undo runs elsewhere.
TEST_F(UndoProgram, RenameIsTakenBackAndTheDialogFollowsTheFile)
{
    const std::wstring draft = MakeFile(folder, L"draft.txt");
    const std::wstring final = folder / L"final.txt";
    {
        RunningProgram program(L"draft.txt", folder.Path());
        ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";
        SendMessageW(program.Item(IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"final"));
        Click(program, IDC_SWITCH_WRITE);
        SendMessageW(program.Item(IDC_WRITE_DAY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"20"));
        Click(program, IDC_APPLY);
    }
    ASSERT_TRUE(Exists(final));
    ASSERT_FALSE(Exists(draft));

    TempFolder elsewhere;
    RunningProgram program(L"\"" + final + L"\"", elsewhere.Path());
    ASSERT_NE(program.Dialog(), nullptr) << "the program showed no dialog";
    Undo(program.Dialog());
    program.TakeMessageBox(L"Kalendrix", 10000);
    const std::wstring told = program.TakeMessageBox(L"Kalendrix", 10000);
    EXPECT_NE(told.find(L" の適用（1 個のファイル、名前、更新日時）を元に戻しました。"), std::wstring::npos)
        << "which apply was taken back: " << told.c_str();
    EXPECT_FALSE(Exists(DefaultJournalPath())) << "an apply is taken back once";
    EXPECT_TRUE(Exists(draft));
    EXPECT_FALSE(Exists(final));
    EXPECT_EQ(AsStamp(StampsOf(draft).write), kWriteBefore);
    EXPECT_EQ(program.Text(IDC_NAME), L"draft") << "the dialog shows the file under its old name";
}

namespace {

class UndoDialog : public ApplyFixture {
protected:
    void SetUp() override
    {
        ApplyFixture::SetUp();
        DeleteFileW(DefaultJournalPath().c_str());
    }

    UINT UndoEntryState() const
    {
        return GetMenuState(GetSystemMenu(dialog.m_hWnd, FALSE), IDM_UNDO_LAST_CHANGE, MF_BYCOMMAND);
    }
};

} // namespace

TEST_F(UndoDialog, EntryIsOfferedOnlyWhileThereIsSomethingToUndo)
{
    HMENU menu = GetSystemMenu(dialog.m_hWnd, FALSE);
    wchar_t text[64] = L"";
    GetMenuStringW(menu, IDM_UNDO_LAST_CHANGE, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"直前の変更を元に戻す");
    EXPECT_TRUE(UndoEntryState() & MF_GRAYED);

    const std::wstring path = MakeFile(folder, L"a.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {2011, 1, 20, 12, 0, 0});
    Apply();
    EXPECT_FALSE(UndoEntryState() & MF_GRAYED);
    UndoLastChange();
    EXPECT_TRUE(UndoEntryState() & MF_GRAYED);
    EXPECT_EQ(AsStamp(StampsOf(path).write), kWriteBefore);
    EXPECT_EQ(Text(IDC_WRITE_DAY), L"18") << "the dialog shows the restored stamp (2005-02-18 05:20 UTC)";
    EXPECT_EQ(boxes.Take().size(), 2u) << "the undo asks, naming the apply, and says it took it back";
}

// The journal's bytes, changed as a damaged disk might leave them.
void ChangeJournal(const std::string& from, const std::string& to)
{
    std::string bytes;
    {
        std::ifstream in(DefaultJournalPath().c_str(), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    std::ofstream out(DefaultJournalPath().c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

TEST_F(UndoDialog, DamagedJournalIsToldAndNothingIsWritten)
{
    const std::wstring path = MakeFile(folder, L"a.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {2011, 1, 20, 12, 0, 0});
    Apply();
    const LONGLONG applied = AsStamp(StampsOf(path).write);
    ASSERT_NE(applied, kWriteBefore);
    ChangeJournal("適用の開始\t", "適用の終了\t");
    boxes.Take();

    UndoLastChange();
    const std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"直前の変更の記録を読めません（記録が壊れています（3 行目））。\r\n"
                             L"ファイルは何も変更されていません。\r\n" + DefaultJournalPath());
    EXPECT_EQ(shown[0].owner, dialog.m_hWnd);
    EXPECT_EQ(AsStamp(StampsOf(path).write), applied);
    EXPECT_TRUE(Exists(DefaultJournalPath())) << "kept for the user to read";
}

// The last group's closing line counts a line the group does not have: its files were not
// touched if the program ended while writing it, but the journal may have been damaged
// after the apply. The group is passed over, and the box names what it could read there.
TEST_F(UndoDialog, PassedOverLastGroupIsToldWithItsFiles)
{
    const std::wstring path = MakeFile(folder, L"a.txt");
    ChooseOne(path);
    SetRow(kWriteRow, {2011, 1, 20, 12, 0, 0});
    Apply();
    const LONGLONG applied = AsStamp(StampsOf(path).write);
    ChangeJournal("\r\n以上\t1\t", "\r\n以上\t2\t");
    boxes.Take();

    UndoLastChange();
    const std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 2u) << "the question, then the end";
    EXPECT_NE(shown[1].text.find(L"記録の最後の組は途中で切れているか壊れていたため、元に戻していません（読めたのは 1 件）。"),
              std::wstring::npos)
        << shown[1].text.c_str();
    // The path as the system gives it, which may differ in case.
    std::wstring text = shown[1].text, named = L"\r\n" + path;
    CharUpperW(&text[0]);
    CharUpperW(&named[0]);
    EXPECT_NE(text.find(named), std::wstring::npos) << "the file it names: " << shown[1].text.c_str();
    EXPECT_EQ(AsStamp(StampsOf(path).write), applied) << "a group passed over is not undone";
    EXPECT_FALSE(Exists(DefaultJournalPath())) << "removed once the user has seen the box";
}

// On a FAT volume an odd second is held rounded: the apply tells it with the value the file
// holds, and the undo puts the file back, though nothing tells the program the volume is FAT.
TEST_F(UndoDialog, RoundingOnAFatVolumeIsToldAndUndone)
{
    const wchar_t* const mounted = _wgetenv(L"KALENDRIX_FAT_FOLDER");
    if (mounted == nullptr || *mounted == L'\0')
        GTEST_SKIP() << "no FAT volume here: tools/wine-exec mounts one as root where FUSE and fusefat are there";
    std::wstring fat = std::wstring(L"Z:") + mounted;
    std::replace(fat.begin(), fat.end(), L'/', L'\\');
    fat += L"\\dialog" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(fat.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    const std::wstring path = MakeFile(folder, L"photo.jpg");
    const std::wstring onFat = fat + L"\\photo.jpg";
    ASSERT_TRUE(CopyFileW(path.c_str(), onFat.c_str(), FALSE));
    const FileStamps before = StampsOf(onFat);
    ChooseOne(onFat);
    SetRow(kWriteRow, {2011, 7, 1, 12, 0, 1});
    // Both stamps: fusefat ignores a last write set alone (the last access omitted).
    SetRow(kAccessRow, {2011, 7, 1, 12, 0, 1});
    boxes.Take();
    Apply();
    const std::vector<ShownMessageBox> shown = boxes.Take();
    UndoLastChange();
    const FileStamps after = StampsOf(onFat);
    DeleteFileW(onFat.c_str());
    RemoveDirectoryW(fat.c_str());

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.find(L"次のファイルでは、ファイルシステムが日時を丸めて記録しました（元に戻すことはできます）。\r\n" +
                                 onFat + L"：更新日時 "),
              0u)
        << shown[0].text.c_str();
    EXPECT_NE(shown[0].text.find(L" として記録されました"), std::wstring::npos) << shown[0].text.c_str();
    EXPECT_TRUE(SameStamp(after.write, before.write)) << "the undo puts the file back";
}
