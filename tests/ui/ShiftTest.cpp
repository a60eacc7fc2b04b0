// Shifting every chosen file's own times by one offset ("ずらす"), with the list showing each
// change before Apply makes it.
#include "support/ApplyFixture.h"

#include "datetime/StampText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const LONGLONG kTicksPerSecond = 10000000LL;
const LONGLONG kCameraBehind = (7 * 3600 + 36 * 60) * kTicksPerSecond; // 7 h 36 min

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME AsFileTime(LONGLONG stamp)
{
    return {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
}

std::wstring Change(LONGLONG from, LONGLONG to)
{
    return LocalStampText(from) + L" → " + LocalStampText(to);
}

class Shift : public ApplyFixture {
protected:
    // A file whose last-write stamp is `write` (with its fraction); its access stamp is
    // kOldAccess for all.
    std::wstring MakeFileWritten(const std::wstring& name, LONGLONG write)
    {
        const std::wstring path = folder.MakeFile(name);
        const FILETIME writeTime = AsFileTime(write);
        const FILETIME access = StampOf(kOldAccess);
        EXPECT_TRUE(WriteStamps(path, nullptr, &access, &writeTime));
        return path;
    }

    static LONGLONG WriteStampOf(const std::wstring& path) { return AsStamp(StampsOf(path).write); }

    // "ずらす" with the write row ticked and the offset typed in its fields.
    void ShiftWriteRow(const std::vector<std::pair<TimeField, const wchar_t*>>& offsets)
    {
        Click(IDC_MODE_SHIFT);
        if (!Checked(IDC_SWITCH_WRITE))
            Click(IDC_SWITCH_WRITE);
        for (const auto& offset : offsets)
            Type(kTimeRows[kWriteRow].edits[offset.first], offset.second);
    }

    // Three files whose write stamps lie months apart, with fractions of a second.
    std::vector<std::wstring> ChooseThree()
    {
        const LONGLONG writes[] = {AsStamp(StampOfUtc(2010, 1, 1, 10, 0, 0)) + 1234567,
                                   AsStamp(StampOfUtc(2012, 7, 15, 23, 59, 59)),
                                   AsStamp(StampOfUtc(2024, 2, 29, 3, 0, 0)) + 5};
        std::vector<std::wstring> paths;
        for (int index = 0; index < 3; ++index)
            paths.push_back(MakeFileWritten(L"photo" + std::to_wstring(index) + L".jpg", writes[index]));
        Choose({paths[0], paths[1], paths[2]});
        return paths;
    }
};

} // namespace

TEST_F(Shift, TheModeTurnsTheRowsIntoOffsetsAndBackIntoTheSelectedFilesTimes)
{
    const std::wstring path = MakeStampedFile(L"one.txt");
    ChooseOne(path);
    const std::wstring times = RowText(kWriteRow);
    EXPECT_TRUE(Checked(IDC_MODE_SET));

    Click(IDC_MODE_SHIFT);
    EXPECT_EQ(RowText(kWriteRow), L"0,0,0,0,0,0");
    for (int id : {IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(IDC_ORIGINAL_TIME));
    // A minus sign and digits, nothing else.
    const int hour = kTimeRows[kWriteRow].edits[kHour];
    for (const auto& typed : {std::make_pair(L"-7", L"-7"), std::make_pair(L"1x2", L"12"), std::make_pair(L"3-", L"3")}) {
        Type(hour, typed.first);
        EXPECT_EQ(Text(hour), typed.second) << typed.first;
    }
    // Regression: leaving a year offset of "1" corrected it to the year 1970.
    const int year = kTimeRows[kWriteRow].edits[kYear];
    SetFocus(dialog.GetDlgItem(year));
    Type(year, L"1");
    SetFocus(dialog.GetDlgItem(hour));
    EXPECT_EQ(Text(year), L"1");
    dialog.CheckDlgButton(IDC_SWITCH_WRITE, BST_CHECKED);
    Click(IDC_ORIGINAL_TIME);
    EXPECT_EQ(Text(hour), L"0");
    EXPECT_EQ(Text(year), L"0");

    Click(IDC_MODE_SET);
    EXPECT_EQ(RowText(kWriteRow), times);
    EXPECT_TRUE(Enabled(IDC_CURRENT_TIME));
    // A new choice of files starts with times again.
    Click(IDC_MODE_SHIFT);
    Choose({path});
    EXPECT_TRUE(Checked(IDC_MODE_SET));
    EXPECT_EQ(RowText(kWriteRow), times);
}

TEST_F(Shift, EveryFileMovesByTheOffsetFromItsOwnTimeAsThePreviewShowedBeforehand)
{
    const std::vector<std::wstring> paths = ChooseThree();
    LONGLONG before[3];
    for (int index = 0; index < 3; ++index)
        before[index] = WriteStampOf(paths[index]);
    const std::wstring access = ListCell(0, FileListView::kAccessColumn);

    ShiftWriteRow({{kHour, L"-7"}, {kMinute, L"-36"}});
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(ListCell(row, FileListView::kWriteColumn), Change(before[row], before[row] - kCameraBehind)) << row;
    EXPECT_EQ(ListCell(0, FileListView::kAccessColumn), access) << "a stamp left alone looks as it did";

    Apply();
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(WriteStampOf(paths[index]), before[index] - kCameraBehind) << "exact, fraction kept: " << index;
    EXPECT_EQ(AccessSecondsOf(paths[0]), static_cast<ULONGLONG>(kOldAccess));
    EXPECT_EQ(ListCell(1, FileListView::kWriteColumn), LocalStampText(before[1] - kCameraBehind))
        << "after Apply the list shows the files as they are";
}

TEST_F(Shift, WithOneFileTheListGainsARowForEachChangeInBothModes)
{
    const std::wstring path = MakeStampedFile(L"one.txt");
    ChooseOne(path);
    const LONGLONG write = WriteStampOf(path);
    ASSERT_EQ(ListRowCount(), 4);

    ShiftWriteRow({{kDay, L"1"}});
    ASSERT_EQ(ListRowCount(), 5);
    EXPECT_EQ(ListCell(4, 0), L"更新日時");
    EXPECT_EQ(ListCell(4, 1), Change(write, write + 86400 * kTicksPerSecond));

    Click(IDC_MODE_SET);
    EXPECT_EQ(ListRowCount(), 4) << "the rows show the file's own times again";
    Type(kTimeRows[kWriteRow].edits[kYear], L"2011");
    ASSERT_EQ(ListRowCount(), 5);
    LocalFields fields = BreakDownLocal(static_cast<TimeValue>(UnixSecondsOf(StampsOf(path).write)));
    fields.year = 2011;
    TimeValue set = 0;
    ASSERT_TRUE(BuildFromLocal(fields, &set));
    EXPECT_EQ(ListCell(4, 1), Change(write, AsStamp(StampOf(static_cast<ULONGLONG>(set)))));

    Apply();
    EXPECT_EQ(ListRowCount(), 4);
}

TEST_F(Shift, AResultOutsideTheRangeRefusesTheWholeApplyNamingTheFile)
{
    const LONGLONG early = AsStamp(StampOfUtc(1970, 1, 1, 0, 30, 0));
    const std::wstring fine = MakeFileWritten(L"fine.txt", AsStamp(StampOfUtc(2010, 1, 1, 10, 0, 0)));
    const std::wstring tooEarly = MakeFileWritten(L"early.txt", early);
    Choose({fine, tooEarly});
    const LONGLONG fineBefore = WriteStampOf(fine);

    ShiftWriteRow({{kHour, L"-1"}});
    Apply();
    const std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find(tooEarly + L"：更新日時 → " + LocalStampText(early - 3600 * kTicksPerSecond)), std::wstring::npos)
        << "names the file and its would-be value";
    EXPECT_EQ(shown[0].text.find(fine), std::wstring::npos);
    EXPECT_NE(shown[0].text.find(L"ファイルは何も変更されていません。"), std::wstring::npos);
    EXPECT_EQ(WriteStampOf(fine), fineBefore);
    EXPECT_EQ(WriteStampOf(tooEarly), early);
}

TEST_F(Shift, UndoPutsEveryShiftedFileBack)
{
    const std::vector<std::wstring> paths = ChooseThree();
    LONGLONG before[3];
    for (int index = 0; index < 3; ++index)
        before[index] = WriteStampOf(paths[index]);
    ShiftWriteRow({{kYear, L"1"}, {kMonth, L"-1"}});
    Apply();
    ASSERT_NE(WriteStampOf(paths[2]), before[2]);

    UndoLastChange();
    boxes.Take();
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(WriteStampOf(paths[index]), before[index]) << index;
}

// A file not read has nothing to shift from: its row says the apply leaves it, the apply
// names it with why, and OK keeps the dialog open.
TEST_F(Shift, AFileNotReadIsShownAsLeftAndNamedAndOkKeepsTheDialogOpen)
{
    const LONGLONG write = AsStamp(StampOfUtc(2010, 1, 1, 10, 0, 0));
    const std::wstring fine = MakeFileWritten(L"fine.txt", write);
    const std::wstring gone = folder / L"gone.txt";
    const std::wstring left = L"（読み込んでいないため変更しません）";
    Choose({gone});
    ShiftWriteRow({{kHour, L"1"}});
    ASSERT_EQ(ListRowCount(), 5);
    EXPECT_EQ(ListCell(4, 0), L"更新日時");
    EXPECT_EQ(ListCell(4, 1), left);

    Choose({fine, gone});
    ShiftWriteRow({{kHour, L"1"}});
    EXPECT_EQ(ListCell(1, FileListView::kWriteColumn), left);
    EXPECT_EQ(ListCell(1, FileListView::kAccessColumn), L"") << "a stamp the shift leaves alone shows nothing";
    EXPECT_EQ(ListCell(0, FileListView::kWriteColumn), Change(write, write + 3600 * kTicksPerSecond));

    Click(IDOK);
    const std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, gone + L"：見つかりません\r\n以上のファイルは変更できませんでした。");
    EXPECT_NE(dialog.Handle(), nullptr) << "OK with a file left keeps the dialog open";
    EXPECT_EQ(WriteStampOf(fine), write + 3600 * kTicksPerSecond);
}
