// What an apply must never do: write what the user did not ask for, act on a value or
// name it then refuses, lose a file's own stamp, or stop at one failing file.
#include "framework/Application.h"
#include "support/ApplyFixture.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ApplySafety : public ApplyFixture {
protected:
    // A file whose write and access stamps lie half a second after `seconds`.
    std::wstring MakeFineStampedFile(const std::wstring& name, ULONGLONG seconds)
    {
        std::wstring path = folder.MakeFile(name);
        FILETIME fine = StampOf(seconds);
        fine.dwLowDateTime += 5000000;
        EXPECT_TRUE(WriteStamps(path, nullptr, &fine, &fine));
        return path;
    }

    // True when the file system keeps a write stamp at this second (ext4 ends in 2446).
    bool PlatformKeeps(ULONGLONG seconds)
    {
        std::wstring probe = folder.MakeFile(L"probe.txt");
        FILETIME stamp = StampOf(seconds);
        WriteStamps(probe, nullptr, nullptr, &stamp);
        bool kept = UnixSecondsOf(StampsOf(probe).write) == seconds;
        DeleteFileW(probe.c_str());
        return kept;
    }

    // Shows a file stamped in `year`, changes another row and presses OK: the untouched
    // row's stamp stays exactly as it was.
    void ExpectUntouchedRowKeeps(int year, ULONGLONG seconds)
    {
        SCOPED_TRACE(year);
        ASSERT_TRUE(PlatformKeeps(seconds)) << "the file system does not keep this stamp";
        std::wstring path = MakeFineStampedFile(L"future" + std::to_wstring(year) + L".txt", seconds);
        const FileStamps before = StampsOf(path);
        if (dialog.Handle() == nullptr)
            dialog.Create();
        ChooseOne(path);
        EXPECT_EQ(Text(IDC_WRITE_YEAR), std::to_wstring(year));
        dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
        dialog.CheckDlgButton(IDC_SWITCH_ACCESS, BST_CHECKED);
        Type(IDC_ACCESS_YEAR, L"2011");
        Click(IDOK);
        EXPECT_EQ(dialog.GetResult(), IDOK);
        EXPECT_TRUE(SameStamp(StampsOf(path).write, before.write));
        EXPECT_EQ(UnixSecondsOf(StampsOf(path).access) / 31556952 + 1970, 2011u) << "the changed row is written";
    }

    // The one box an apply raised, closed; empty text when there was none or more.
    std::wstring OnlyBoxText()
    {
        std::vector<ShownMessageBox> shown = boxes.Take();
        EXPECT_EQ(shown.size(), 1u);
        return shown.size() == 1 ? shown[0].text : std::wstring();
    }
};

const wchar_t* const kFailureSentence = L"以上のファイルは変更できませんでした。";

} // namespace

// Regression: with a row's switch left ticked from an earlier run, a plain OK copied the
// first file's times onto every chosen file and dropped the fraction of each stamp.
TEST_F(ApplySafety, PlainOkWritesNothing)
{
    StoreProfileValue(L"fileLastChange", 1);
    StoreProfileValue(L"Attribute", 1);
    std::wstring first = MakeFineStampedFile(L"first.txt", kOldWrite);
    std::wstring second = MakeFineStampedFile(L"second.txt", kOldAccess);
    const FileStamps before[] = {StampsOf(first), StampsOf(second)};
    Choose({first, second});
    ASSERT_TRUE(Checked(IDC_SWITCH_WRITE));
    Click(IDOK);

    EXPECT_EQ(dialog.GetResult(), IDOK);
    const std::wstring paths[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(SameStamp(StampsOf(paths[i]).write, before[i].write)) << i;
        EXPECT_TRUE(SameStamp(StampsOf(paths[i]).access, before[i].access)) << i;
    }
    EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(ApplySafety, TickingARowGivesSeveralFilesTheFirstFilesTime)
{
    std::wstring first = MakeFineStampedFile(L"first.txt", kOldWrite);
    std::wstring second = MakeFineStampedFile(L"second.txt", kOldAccess);
    const FILETIME firstWrite = StampsOf(first).write;
    Choose({first, second});
    ASSERT_FALSE(Enabled(IDC_APPLY));
    Click(IDC_SWITCH_WRITE);
    EXPECT_TRUE(Enabled(IDC_APPLY)) << "ticking a row counts as a change";

    Click(IDC_APPLY);
    EXPECT_EQ(UnixSecondsOf(StampsOf(second).write), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_TRUE(SameStamp(StampsOf(first).write, firstWrite)) << "the first file keeps its own stamp";
    EXPECT_EQ(UnixSecondsOf(StampsOf(second).access), static_cast<ULONGLONG>(kOldAccess)) << "unticked row kept";
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Regression: a stored year after 2049 was shown as 2049, and an apply with the row ticked
// but untouched moved the stamp to 2049 and dropped its fraction.
TEST_F(ApplySafety, StampAfter2049ShowsItsYearAndAnUntouchedRowKeepsIt)
{
    ExpectUntouchedRowKeeps(2060, 2855829600);  // 2060-07-01 10:00:00 UTC
    ExpectUntouchedRowKeeps(2446, 15032385535); // 2446-05-10 22:38:55 UTC, the last second ext4 keeps
}

TEST_F(ApplySafety, StampInTheYear3000ShowsItsYearAndAnUntouchedRowKeepsIt)
{
    const ULONGLONG kYear3000 = 32503680000; // 3000-01-01 00:00:00 UTC
    if (!PlatformKeeps(kYear3000))
        GTEST_SKIP() << "the file system does not keep stamps in the year 3000 (ext4 ends in 2446)";
    ExpectUntouchedRowKeeps(3000, kYear3000);
}

// Regression: the rename was already done when a row then failed, and the error named
// neither the row nor the field.
TEST_F(ApplySafety, RefusedFieldIsNamedBeforeAnythingChanges)
{
    const struct {
        int edit;
        const wchar_t* text;
        const wchar_t* named;
    } cases[] = {
        {IDC_WRITE_MONTH, L"0", L"更新日時の「月」に 0 は入れられません（1～12）。"},
        {IDC_WRITE_DAY, L"0", L"更新日時の「日」に 0 は入れられません"},
        {IDC_WRITE_MINUTE, L"1a", L"更新日時の「分」の「1a」は数字ではありません。"},
        {IDC_WRITE_HOUR, L"", L"更新日時の「時」が空です。"},
    };
    std::wstring path = MakeStampedFile(L"a.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        ChooseOne(path);
        Type(IDC_NAME, L"b");
        SetBoxes(FILE_ATTRIBUTE_HIDDEN);
        dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
        Type(c.edit, c.text);
        Click(IDC_APPLY);
        std::wstring text = OnlyBoxText();
        EXPECT_EQ(text.find(c.named), 0u) << text.c_str();
        EXPECT_NE(text.find(L"ファイルは何も変更されていません。"), std::wstring::npos);
        EXPECT_TRUE(Exists(path)) << "not renamed";
        EXPECT_FALSE(Exists(folder / L"b.txt"));
        EXPECT_EQ(WriteSecondsOf(path), static_cast<ULONGLONG>(kOldWrite));
        EXPECT_FALSE(AttributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
        EXPECT_TRUE(Enabled(IDC_APPLY));
        Click(IDOK);
        EXPECT_NE(dialog.Handle(), nullptr) << "OK does not close after a refusal";
        EXPECT_EQ(boxes.Take().size(), 1u);
    }
}

// Regression: "..\moved" moved the file into the parent folder.
TEST_F(ApplySafety, UnsafeNewNamesAreRefusedAndNothingMoves)
{
    const struct {
        const wchar_t* name;
        const wchar_t* extension;
    } cases[] = {
        {L"..\\moved", L"txt"}, {L"sub/moved", L"txt"}, {L"C:moved", L"txt"}, {L"*", L"txt"},
        {L"a?", L"txt"},        {L"a<b", L"txt"},       {L"", L""},           {L"..", L""},
        {L"CON", L"txt"},       {L"moved.", L""},       {L"moved", L"t|x"},
    };
    folder.MakeFolder(L"sub");
    std::wstring path = MakeStampedFile(L"a.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        ChooseOne(path);
        Type(IDC_NAME, c.name);
        Type(IDC_EXTENSION, c.extension);
        Click(IDC_APPLY);
        std::wstring text = OnlyBoxText();
        EXPECT_EQ(text.find(L"新しい名前「"), 0u) << text.c_str();
        EXPECT_TRUE(Exists(path));
    }
    EXPECT_FALSE(Exists(folder.Path() + L"\\..\\moved.txt"));
    EXPECT_FALSE(Exists(folder / L"sub\\moved.txt"));
}

// Regression: a failed move was not told, and after a successful one "元の日時" filled the
// rows with 1970-01-01 read from the vanished old path.
TEST_F(ApplySafety, RenameIsToldWhenItFailsAndFollowedWhenItWorks)
{
    std::wstring path = MakeStampedFile(L"a.txt");
    std::wstring other = MakeStampedFile(L"b.txt");
    ChooseOne(path);
    Type(IDC_NAME, L"b");
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
    Type(IDC_WRITE_YEAR, L"2011");
    Click(IDC_APPLY);
    std::wstring text = OnlyBoxText();
    EXPECT_EQ(text.find(path + L"：名前を「b.txt」に変更できませんでした（"), 0u) << text.c_str();
    EXPECT_NE(text.find(kFailureSentence), std::wstring::npos);
    EXPECT_EQ(WriteSecondsOf(path) / 31556952 + 1970, 2011u) << "the times still go to the old name";
    EXPECT_EQ(WriteSecondsOf(other), static_cast<ULONGLONG>(kOldWrite)) << "the other file is never overwritten";

    Type(IDC_NAME, L"c");
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    std::wstring renamed = folder / L"c.txt";
    ASSERT_TRUE(Exists(renamed));
    EXPECT_EQ(ListCell(1, 1), renamed);
    EXPECT_FALSE(Enabled(IDC_APPLY));
    Type(IDC_NAME, L"c");
    EXPECT_FALSE(Enabled(IDC_APPLY)) << "the name edit is compared with the new name";
    Type(IDC_WRITE_YEAR, L"2012");
    Click(IDC_ORIGINAL_TIME);
    EXPECT_EQ(Text(IDC_WRITE_YEAR), L"2011") << "the rows read the renamed file";
}

TEST_F(ApplySafety, ReadOnlyFileIsMadeWritableWhenItsBoxIsCleared)
{
    std::wstring path = MakeStampedFile(L"locked.txt");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ChooseOne(path);
    ASSERT_TRUE(Checked(IDC_ATTR_READONLY));
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
    Type(IDC_WRITE_YEAR, L"2011");
    SetBoxes(0);
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_FALSE(AttributesOf(path) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(WriteSecondsOf(path) / 31556952 + 1970, 2011u);

    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ChooseOne(path);
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
    Type(IDC_WRITE_YEAR, L"2012");
    Click(IDC_APPLY);
    EXPECT_EQ(OnlyBoxText(), path + L"：読み取り専用です（属性の「読み取り専用」を外すと変更できます）\r\n" + kFailureSentence)
        << "a file that stays read-only is refused";
    EXPECT_EQ(WriteSecondsOf(path) / 31556952 + 1970, 2011u);
}

// Regression: a 1965 stamp raised an error at every keystroke and left the previous file
// on display; a missing file showed as stamped 1970-01-01 with a size of 0.
TEST_F(ApplySafety, WhatCannotBeReadShowsEmptyRowsAndIsToldOnce)
{
    std::wstring path = MakeStampedFile(L"sixties.txt");
    FILETIME sixties = StampOfUtc(1965, 6, 1, 12, 0, 0);
    ASSERT_TRUE(WriteStamps(path, nullptr, &sixties, nullptr));
    ChooseOne(path);
    std::wstring text = OnlyBoxText();
    EXPECT_EQ(text.find(path + L"\r\nアクセス日時: 1965年6月1日 12:00:00 (UTC)"), 0u) << text.c_str();
    EXPECT_EQ(RowText(kAccessRow), L",,,,,");
    EXPECT_EQ(ListCell(1, 1), path);
    Type(IDC_WRITE_MINUTE, L"7");
    EXPECT_TRUE(boxes.Take().empty()) << "typing raises nothing more";

    // Ticked but left empty, the row is not written.
    dialog.CheckDlgButton(IDC_SWITCH_ACCESS, BST_CHECKED);
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_TRUE(SameStamp(StampsOf(path).access, sixties));
    EXPECT_EQ(WriteSecondsOf(path) % 3600 / 60, 7u);

    std::wstring missing = folder / L"missing.txt";
    Choose({missing});
    EXPECT_EQ(RowText(kWriteRow), L",,,,,");
    EXPECT_EQ(ListCell(0, 1), L"（読み取れません）");
    EXPECT_EQ(ListCell(3, 1), L"");
    SetRow(kWriteRow, {2011, 1, 2, 3, 4, 5});
    Click(IDC_APPLY);
    EXPECT_EQ(OnlyBoxText(), missing + L"：見つかりません\r\n" + kFailureSentence);
}

// Regression: any repaint that erased the background wiped the icon at the top left.
TEST_F(ApplySafety, FileIconStaysAfterARepaintThatErases)
{
    for (bool several : {false, true}) {
        std::wstring path = MakeStampedFile(L"icon.txt");
        if (several)
            Choose({path, path});
        else
            Choose({path});
        RedrawWindow(dialog.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(dialog.m_hWnd);
        const COLORREF face = GetPixel(dc, 10, 10);
        int drawn = 0;
        for (int y = 0; y < 32; y += 2)
            for (int x = 20; x < 52; x += 2)
                drawn += GetPixel(dc, x, y) != face;
        ReleaseDC(dialog.m_hWnd, dc);
        EXPECT_GT(drawn, 20) << (several ? "several files" : "one file");
    }
}

// Regression: the list view reports a row that merely takes the focus as a changed item,
// and the rows and boxes were filled from the file again over the user's edits.
TEST_F(ApplySafety, FocusMovingThroughTheListKeepsTheEdits)
{
    std::wstring first = MakeStampedFile(L"first.txt");
    std::wstring second = MakeStampedFile(L"second.txt");
    for (bool several : {false, true}) {
        if (several)
            Choose({first, second});
        else
            ChooseOne(first);
        Type(IDC_WRITE_MONTH, L"7");
        HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
        SetFocus(list);
        LVITEMW focused = {};
        focused.stateMask = LVIS_FOCUSED;
        focused.state = LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, several ? 1 : 0, reinterpret_cast<LPARAM>(&focused));
        EXPECT_EQ(Text(IDC_WRITE_MONTH), L"7") << (several ? "several files" : "one file");
    }
}
