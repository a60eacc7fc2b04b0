#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include "datetime/FieldRules.h"
#include "framework/Exceptions.h"

#include <time.h>
#include <utility>
#include <vector>

namespace {

using Typing = std::vector<std::pair<TimeField, const wchar_t*>>;

// A local time and the UTC second it stands for in each test zone.
struct ZonedInstant {
    LocalFields local;
    TimeValue berlin;
    TimeValue tokyo;
};

TimeValue InHostZone(const ZonedInstant& instant)
{
    return HostZone() == L"Asia/Tokyo" ? instant.tokyo : instant.berlin;
}

const wchar_t* InHostZone(const wchar_t* berlin, const wchar_t* tokyo)
{
    return HostZone() == L"Asia/Tokyo" ? tokyo : berlin;
}

// The first file shows 2011-02-10 12:30:45 in the write row and 2011-03-15 18:45:30 in
// the access row; the creation row shows whatever the file system keeps.
const LocalFields kBaseWrite = {2011, 2, 10, 12, 30, 45};
const LocalFields kBaseAccess = {2011, 3, 15, 18, 45, 30};
const wchar_t* const kBaseWriteRow = L"2011,2,10,12,30,45";
const wchar_t* const kBaseAccessRow = L"2011,3,15,18,45,30";

class TimeRowsDialog : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        if (HostZone() != L"Europe/Berlin" && HostZone() != L"Asia/Tokyo")
            GTEST_SKIP() << "expected instants are listed for Europe/Berlin and Asia/Tokyo only";
    }

    std::wstring MakeStampedFile(const std::wstring& name, const LocalFields& write, const LocalFields& access)
    {
        std::wstring path = folder.MakeFile(name);
        SetStamps(path, write, access);
        return path;
    }

    static void SetStamps(const std::wstring& path, const LocalFields& write, const LocalFields& access)
    {
        TimeValue writeValue = 0, accessValue = 0;
        FILETIME writeStamp, accessStamp;
        ASSERT_TRUE(BuildFromLocal(write, &writeValue) && BuildFromLocal(access, &accessValue));
        ASSERT_TRUE(TimeValueToFileTime(writeValue, &writeStamp) && TimeValueToFileTime(accessValue, &accessStamp));
        ASSERT_TRUE(WriteStamps(path, nullptr, &accessStamp, &writeStamp));
    }

    // Chooses the files and shows the first one's stamps as the refresh does, with the
    // rows and command buttons enabled and Apply disabled.
    void ChooseAndShow(std::initializer_list<std::wstring> paths)
    {
        dialog.HandOverFiles(std::vector<std::wstring>(paths));
        for (const TimeRowControls& row : kTimeRows)
            for (int id : row.edits)
                dialog.EnableDlgItem(id, true);
        for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION})
            dialog.EnableDlgItem(id, true);
        dialog.EnableDlgItem(IDC_APPLY, false);
    }

    void ChooseBaseFile() { ChooseAndShow({MakeStampedFile(L"Stamped.txt", kBaseWrite, kBaseAccess)}); }

    void ShowRecord(const FileRecord& record)
    {
        dialog.GetTimeRows().SetSpinRanges();
        dialog.GetTimeRows().WriteRow(kCreationRow, record.createTime);
        dialog.GetTimeRows().WriteRow(kWriteRow, record.writeTime);
        dialog.GetTimeRows().WriteRow(kAccessRow, record.accessTime);
    }

    void TypeRow(TimeRow row, const Typing& typing)
    {
        for (const auto& typed : typing)
            Type(kTimeRows[row].edits[typed.first], typed.second);
    }

    void Tick(std::initializer_list<TimeRow> rows)
    {
        for (const TimeRowControls& row : kTimeRows)
            dialog.CheckDlgButton(row.switchId, BST_UNCHECKED);
        for (TimeRow row : rows)
            dialog.CheckDlgButton(kTimeRows[row].switchId, BST_CHECKED);
    }

    // The text of the error that reading the row raises; empty when it reads.
    std::wstring ReadFailure(TimeRow row)
    {
        try {
            dialog.GetTimeRows().ReadTimeRow(row);
        } catch (const ShownError& error) {
            return error.GetErrorMessage();
        }
        return std::wstring();
    }
};

struct TypingCase {
    const char* what;
    Typing typing;
    const wchar_t* row;
};

} // namespace

TEST_F(TimeRowsDialog, ShowingTheFirstFilesOwnStampsLeavesApplyDisabled)
{
    ChooseBaseFile();
    EXPECT_EQ(RowText(kWriteRow), kBaseWriteRow);
    EXPECT_EQ(RowText(kAccessRow), kBaseAccessRow);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(TimeRowsDialog, TypedValuesAreCorrectedAtOnceAndEnableApply)
{
    ChooseBaseFile();
    const TypingCase cases[] = {
        {"leading zeros", {{kMinute, L"0007"}}, L"2011,2,10,12,7,45"},
        {"zeros only", {{kMinute, L"00"}}, L"2011,2,10,12,0,45"},
        {"year past 3000", {{kYear, L"3100"}}, L"3000,2,10,12,30,45"},
        {"year 2050 stands", {{kYear, L"2050"}}, L"2050,2,10,12,30,45"},
        {"four-digit year before 1970 stands", {{kYear, L"1969"}}, L"1969,2,10,12,30,45"},
        {"single digit year set from outside", {{kYear, L"2"}}, L"1970,2,10,12,30,45"},
        {"cleared year stays empty", {{kYear, L""}}, L",2,10,12,30,45"},
        {"month 15", {{kMonth, L"15"}}, L"2011,12,10,12,30,45"},
        {"month 0 stays", {{kMonth, L"0"}}, L"2011,0,10,12,30,45"},
        {"hour 30", {{kHour, L"30"}}, L"2011,2,10,23,30,45"},
        {"hour 24", {{kHour, L"24"}}, L"2011,2,10,23,30,45"},
        {"second 75", {{kSecond, L"75"}}, L"2011,2,10,12,30,59"},
        {"cleared minute stays empty", {{kMinute, L""}}, L"2011,2,10,12,,45"},
        {"day 31 in February 2011", {{kDay, L"31"}}, L"2011,2,28,12,30,45"},
        {"day 031 in February 2011", {{kDay, L"031"}}, L"2011,2,28,12,30,45"},
        {"day 30 in February 2012", {{kYear, L"2012"}, {kDay, L"30"}}, L"2012,2,29,12,30,45"},
        {"day 30 in February 2000", {{kYear, L"2000"}, {kDay, L"30"}}, L"2000,2,29,12,30,45"},
        {"leap day, then a common year", {{kYear, L"2012"}, {kDay, L"29"}, {kYear, L"2011"}}, L"2011,2,28,12,30,45"},
        {"January 31, then April", {{kMonth, L"1"}, {kDay, L"31"}, {kMonth, L"4"}}, L"2011,4,30,12,30,45"},
        {"January 31, then month 15", {{kMonth, L"1"}, {kDay, L"31"}, {kMonth, L"15"}}, L"2011,12,31,12,30,45"},
    };
    const TimeValue stored = dialog.GetFileOperate().GetRecord(0).writeTime;
    for (const TypingCase& c : cases) {
        dialog.GetTimeRows().WriteRow(kWriteRow, stored);
        dialog.EnableDlgItem(IDC_APPLY, false);
        TypeRow(kWriteRow, c.typing);
        EXPECT_EQ(RowText(kWriteRow), c.row) << c.what;
        EXPECT_TRUE(Enabled(IDC_APPLY)) << c.what;
        EXPECT_EQ(RowText(kAccessRow), kBaseAccessRow) << c.what << ": another row changed";
    }
}

TEST_F(TimeRowsDialog, TextsEqualToTheFirstFileLeaveApplyDisabled)
{
    ChooseBaseFile();
    Type(IDC_NAME, L"Stamped");
    Type(IDC_EXTENSION, L"txt");
    Type(IDC_WRITE_HOUR, L"012");
    EXPECT_EQ(Text(IDC_WRITE_HOUR), L"12");
    EXPECT_FALSE(Enabled(IDC_APPLY));

    // Leading zeros are stripped from date-time fields only.
    Type(IDC_NAME, L"001");
    EXPECT_EQ(Text(IDC_NAME), L"001");
    EXPECT_TRUE(Enabled(IDC_APPLY));
}

// Regression: a name that changed only its case counted as no change, and the rename
// (a.txt to A.txt) was never made.
TEST_F(TimeRowsDialog, ANameChangingOnlyItsCaseEnablesApply)
{
    ChooseBaseFile();
    for (int id : {IDC_NAME, IDC_EXTENSION}) {
        dialog.EnableDlgItem(IDC_APPLY, false);
        Type(IDC_NAME, L"Stamped");
        Type(IDC_EXTENSION, L"txt");
        ASSERT_FALSE(Enabled(IDC_APPLY));
        Type(id, id == IDC_NAME ? L"STAMPED" : L"TXT");
        EXPECT_TRUE(Enabled(IDC_APPLY)) << id;
    }
}

TEST_F(TimeRowsDialog, ClickingAnAttributeBoxEnablesApplyEvenWhenItIsClickedBack)
{
    ChooseBaseFile();
    for (const AttributeBox& box : kAttributeBoxes) {
        dialog.EnableDlgItem(box.id, true);
        dialog.EnableDlgItem(IDC_APPLY, false);
        Click(box.id);
        Click(box.id);
        EXPECT_TRUE(Enabled(IDC_APPLY)) << box.id;
    }
}

TEST_F(TimeRowsDialog, WithNoFileChosenTypingChangesNothing)
{
    dialog.EnableDlgItem(IDC_ATTR_READONLY, true);
    Type(IDC_WRITE_YEAR, L"2100");
    Type(IDC_WRITE_MINUTE, L"0007");
    Type(IDC_WRITE_DAY, L"31");
    Type(IDC_NAME, L"x");
    Click(IDC_ATTR_READONLY);
    EXPECT_EQ(RowText(kWriteRow), L"2100,,31,,0007,");
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(TimeRowsDialog, ComparisonIsWithTheFirstFileWhileAnotherIsShown)
{
    std::wstring first = MakeStampedFile(L"first.txt", kBaseWrite, kBaseAccess);
    std::wstring second = MakeStampedFile(L"second.txt", {2011, 2, 10, 12, 30, 46}, kBaseAccess);
    ChooseAndShow({first, second});

    dialog.GetTimeRows().WriteRow(kAccessRow, dialog.GetFileOperate().GetRecord(1).accessTime);
    EXPECT_FALSE(Enabled(IDC_APPLY)) << "equal access stamps";
    dialog.GetTimeRows().WriteRow(kWriteRow, dialog.GetFileOperate().GetRecord(1).writeTime);
    EXPECT_EQ(RowText(kWriteRow), L"2011,2,10,12,30,46");
    EXPECT_TRUE(Enabled(IDC_APPLY));
}

// Regression: a stamp after 2049 showed the year 2049.
TEST_F(TimeRowsDialog, WrittenValuesShowAsLocalTimeWithTheirTrueYear)
{
    ChooseBaseFile();
    const struct {
        TimeValue value;
        const wchar_t* berlin;
        const wchar_t* tokyo;
    } cases[] = {
        {0, L"1970,1,1,1,0,0", L"1970,1,1,9,0,0"},
        {1309489200, L"2011,7,1,5,0,0", L"2011,7,1,12,0,0"}, // 03:00 UTC, summer time in Berlin
        {2537654400, L"2050,6,1,2,0,0", L"2050,6,1,9,0,0"},  // 2050-06-01 00:00 UTC
        {-1, L",,,,,", L",,,,,"},                             // cannot be broken down
    };
    for (const auto& c : cases) {
        dialog.GetTimeRows().WriteRow(kWriteRow, c.value);
        EXPECT_EQ(RowText(kWriteRow), InHostZone(c.berlin, c.tokyo)) << c.value;
    }
}

TEST_F(TimeRowsDialog, SpinStepsWrapAndKeepTheDayWithinItsMonth)
{
    ChooseBaseFile();
    for (const TimeRowControls& row : kTimeRows) {
        for (int field = 0; field < kTimeFieldCount; ++field) {
            int lower = -1, upper = -1;
            SendMessageW(dialog.GetDlgItem(row.spins[field]), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                         reinterpret_cast<LPARAM>(&upper));
            EXPECT_EQ(lower, kSpinRanges[field].lower) << row.spins[field];
            EXPECT_EQ(upper, kSpinRanges[field].upper) << row.spins[field];
        }
    }
    // Setting the ranges again leaves the buddies' texts alone.
    dialog.GetTimeRows().SetSpinRanges();
    EXPECT_EQ(RowText(kWriteRow), kBaseWriteRow);
    EXPECT_FALSE(Enabled(IDC_APPLY));

    const struct {
        TimeField field;
        const wchar_t* start;
        WPARAM key;
        const wchar_t* row;
    } steps[] = {
        {kDay, L"28", VK_UP, L"2011,2,28,12,30,45"},   // 29 is past February 2011
        {kDay, L"1", VK_DOWN, L"2011,2,28,12,30,45"},  // wraps to 31, then limited
        {kHour, L"23", VK_UP, L"2011,2,10,0,30,45"},
        {kHour, L"0", VK_DOWN, L"2011,2,10,23,30,45"},
        {kYear, L"3000", VK_UP, L"1970,2,10,12,30,45"},
        {kYear, L"1970", VK_DOWN, L"3000,2,10,12,30,45"},
        {kMonth, L"12", VK_UP, L"2011,1,10,12,30,45"},
        {kMinute, L"58", VK_UP, L"2011,2,10,12,59,45"},
    };
    const TimeValue stored = dialog.GetFileOperate().GetRecord(0).writeTime;
    for (const auto& step : steps) {
        dialog.GetTimeRows().WriteRow(kWriteRow, stored);
        HWND edit = dialog.GetDlgItem(kTimeRows[kWriteRow].edits[step.field]);
        Type(kTimeRows[kWriteRow].edits[step.field], step.start);
        SendMessageW(edit, WM_KEYDOWN, step.key, 0);
        SendMessageW(edit, WM_KEYUP, step.key, 0);
        EXPECT_EQ(RowText(kWriteRow), step.row) << "from " << static_cast<int>(step.field) << "=" << step.start;
        EXPECT_EQ(ReadFailure(kWriteRow), L"") << "a value a spin gives can be written";
    }

    dialog.GetTimeRows().WriteRow(kWriteRow, stored);
    SendMessageW(dialog.GetDlgItem(IDC_WRITE_DAY_SPIN), UDM_SETPOS32, 0, 31);
    EXPECT_EQ(RowText(kWriteRow), L"2011,2,28,12,30,45");
}

TEST_F(TimeRowsDialog, RowsReadBackIntoTheUtcSecondOfTheirLocalTime)
{
    ChooseBaseFile();
    const ZonedInstant instants[] = {
        {{2011, 7, 1, 12, 0, 0}, 1309514400, 1309489200},   // summer time in Berlin
        {{2011, 1, 15, 12, 0, 0}, 1295089200, 1295060400},  // winter time
        {{2011, 3, 27, 12, 0, 0}, 1301220000, 1301194800},  // the day Berlin's clocks go forward
        {{2011, 10, 30, 3, 30, 0}, 1319941800, 1319913000}, // just after Berlin's clocks went back
    };
    for (const ZonedInstant& instant : instants) {
        const LocalFields& l = instant.local;
        std::wstring texts[] = {FieldText(l.year), FieldText(l.month), FieldText(l.day),
                                FieldText(l.hour), FieldText(l.minute), FieldText(l.second)};
        for (int field = 0; field < kTimeFieldCount; ++field)
            Type(kTimeRows[kWriteRow].edits[field], texts[field]);
        EXPECT_EQ(dialog.GetTimeRows().ReadTimeRow(kWriteRow), InHostZone(instant)) << l.year << "-" << l.month << "-" << l.day;
    }
}

// Regression: an emptied field took the first file's value (or 1970 for a year, once
// corrected), and that was written without a word.
TEST_F(TimeRowsDialog, EmptiedFieldsStayEmptyAndAreRefusedNamingTheRowAndField)
{
    ChooseBaseFile();
    TypeRow(kAccessRow, {{kDay, L""}, {kHour, L""}});
    EXPECT_EQ(RowText(kAccessRow), L"2011,3,,,45,30");
    EXPECT_EQ(ReadFailure(kAccessRow).find(L"アクセス日時の「日」が空です。"), 0u);
    EXPECT_EQ(RowText(kAccessRow), L"2011,3,,,45,30") << "nothing filled in";

    TypeRow(kWriteRow, {{kYear, L""}});
    SetFocus(dialog.GetDlgItem(kTimeRows[kWriteRow].edits[kYear]));
    SetFocus(dialog.GetDlgItem(IDC_APPLY));
    EXPECT_EQ(RowText(kWriteRow), L",2,10,12,30,45") << "leaving an empty year keeps it empty";
    EXPECT_EQ(ReadFailure(kWriteRow).find(L"更新日時の「年」が空です。"), 0u);
}

TEST_F(TimeRowsDialog, RowsNoStampCanTakeAreRefusedNamingTheRowAndField)
{
    ChooseBaseFile();
    const struct {
        const char* what;
        Typing typing;
        const wchar_t* named;
    } cases[] = {
        {"month 0", {{kMonth, L"0"}}, L"更新日時の「月」に 0 は入れられません（1～12）。"},
        {"day 0", {{kDay, L"0"}}, L"更新日時の「日」に 0 は入れられません（1～28）。"},
        {"pasted letters", {{kSecond, L"abc"}}, L"更新日時の「秒」の「abc」は数字ではありません。"},
        {"local midnight 1970-01-01, before the epoch east of Greenwich",
         {{kYear, L"1970"}, {kMonth, L"1"}, {kDay, L"1"}, {kHour, L"0"}, {kMinute, L"0"}, {kSecond, L"0"}},
         L"更新日時の 1970年1月1日 0:00:00 は、ファイルに記録できる範囲"},
    };
    const TimeValue stored = dialog.GetFileOperate().GetRecord(0).writeTime;
    for (const auto& c : cases) {
        dialog.GetTimeRows().WriteRow(kWriteRow, stored);
        TypeRow(kWriteRow, c.typing);
        std::wstring text = ReadFailure(kWriteRow);
        EXPECT_EQ(text.find(c.named), 0u) << c.what;
        EXPECT_NE(text.find(L"ファイルは何も変更されていません。"), std::wstring::npos) << c.what;
    }
}

TEST_F(TimeRowsDialog, CommandsWithNoRowTickedOnlyEnableApply)
{
    ChooseBaseFile();
    Tick({});
    for (int button : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION}) {
        TypeRow(kCreationRow, {{kYear, L"2012"}});
        std::wstring rows[kTimeRowCount] = {RowText(kCreationRow), RowText(kWriteRow), RowText(kAccessRow)};
        dialog.EnableDlgItem(IDC_APPLY, false);
        Click(button);
        EXPECT_TRUE(Enabled(IDC_APPLY)) << button;
        for (int row = 0; row < kTimeRowCount; ++row)
            EXPECT_EQ(RowText(static_cast<TimeRow>(row)), rows[row]) << button;
    }
}

TEST_F(TimeRowsDialog, CurrentTimeFillsTheTickedRowsWithOneInstant)
{
    ChooseBaseFile();
    const std::wstring creation = RowText(kCreationRow);
    Tick({kAccessRow});
    TimeValue before = _time64(nullptr);
    Click(IDC_CURRENT_TIME);
    TimeValue after = _time64(nullptr);
    TimeValue shown = dialog.GetTimeRows().ReadTimeRow(kAccessRow);
    EXPECT_GE(shown, before);
    EXPECT_LE(shown, after);
    EXPECT_EQ(RowText(kCreationRow), creation);
    EXPECT_EQ(RowText(kWriteRow), kBaseWriteRow);

    Tick({kCreationRow, kWriteRow, kAccessRow});
    Click(IDC_CURRENT_TIME);
    EXPECT_EQ(RowText(kCreationRow), RowText(kWriteRow));
    EXPECT_EQ(RowText(kWriteRow), RowText(kAccessRow));
}

TEST_F(TimeRowsDialog, OriginalTimeShowsTheFirstFilesStampsAsStoredAtTheClick)
{
    std::wstring first = MakeStampedFile(L"first.txt", kBaseWrite, kBaseAccess);
    std::wstring second = MakeStampedFile(L"second.txt", {2015, 5, 5, 5, 5, 5}, {2016, 6, 6, 6, 6, 6});
    ChooseAndShow({first, second});
    ShowRecord(dialog.GetFileOperate().GetRecord(1));
    SetStamps(first, {2012, 5, 6, 7, 8, 9}, kBaseAccess);

    Tick({kWriteRow});
    Click(IDC_ORIGINAL_TIME);
    EXPECT_EQ(RowText(kWriteRow), L"2012,5,6,7,8,9");
    EXPECT_EQ(RowText(kAccessRow), L"2016,6,6,6,6,6");
    EXPECT_TRUE(Enabled(IDC_APPLY));
}

TEST_F(TimeRowsDialog, ClearTimeSetsLocalMidnightInTheTickedRows)
{
    ChooseBaseFile();
    Tick({kAccessRow});
    Click(IDC_CLEAR_TIME);
    EXPECT_EQ(RowText(kAccessRow), L"2011,3,15,0,0,0");
    EXPECT_EQ(RowText(kWriteRow), kBaseWriteRow);
    EXPECT_EQ(dialog.GetTimeRows().ReadTimeRow(kAccessRow), InHostZone(ZonedInstant{{}, 1300143600, 1300114800}));
}

TEST_F(TimeRowsDialog, SameAsCreationCopiesTheCreationTextsAsTheyStand)
{
    ChooseBaseFile();
    // The creation row is neither ticked nor enabled, and its second is empty.
    Tick({kAccessRow});
    for (int id : kTimeRows[kCreationRow].edits)
        dialog.EnableDlgItem(id, false);
    TypeRow(kCreationRow, {{kYear, L"2012"}, {kMonth, L"2"}, {kDay, L"29"}, {kHour, L"6"}, {kMinute, L"7"},
                           {kSecond, L""}});
    TypeRow(kWriteRow, {{kMonth, L"3"}, {kDay, L"31"}});

    Click(IDC_SAME_AS_CREATION);
    EXPECT_EQ(RowText(kAccessRow), L"2012,2,29,6,7,");
    EXPECT_EQ(RowText(kWriteRow), L"2011,3,31,12,30,45");

    // The month write lowers the day of 31 March at once; the day write then sets it.
    Tick({kWriteRow, kAccessRow});
    Click(IDC_SAME_AS_CREATION);
    EXPECT_EQ(RowText(kWriteRow), L"2012,2,29,6,7,");

    // The empty second is copied as empty, and reading the row refuses it.
    EXPECT_EQ(ReadFailure(kAccessRow).find(L"アクセス日時の「秒」が空です。"), 0u);
    EXPECT_EQ(RowText(kAccessRow), L"2012,2,29,6,7,");
}
