#include "support/DialogFixture.h"

#include "framework/Application.h"

#include <shellapi.h>

#include <vector>

namespace {

class FileView : public DialogFixture {
protected:
    HWND List() const { return dialog.GetDlgItem(IDC_FILE_LIST); }

    std::wstring Header(int column) const
    {
        wchar_t text[64] = L"";
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(ListView_GetHeader(List()), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    // A click on a row as the list view reports it to the dialog.
    void ClickRow(int row)
    {
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = List();
        click.hdr.idFrom = IDC_FILE_LIST;
        click.hdr.code = NM_CLICK;
        click.iItem = row;
        SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    }

    // Selecting a row makes the list view itself send LVN_ITEMCHANGED.
    void SelectRow(int row)
    {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }

    // A file with its own last-write stamp and attribute flags.
    std::wstring MakeStampedFile(const std::wstring& name, ULONGLONG writeSeconds, DWORD attributes,
                                 ULONGLONG size = 100)
    {
        std::wstring path = folder.MakeFile(name, size);
        FILETIME write = StampOf(writeSeconds);
        EXPECT_TRUE(WriteStamps(path, nullptr, &write, &write));
        if (attributes)
            SetFileAttributesW(path.c_str(), attributes);
        return path;
    }

    // The texts a row shows for a time value: local fields of the system's zone.
    static std::wstring LocalRow(TimeValue value)
    {
        FILETIME stamp;
        SYSTEMTIME utc;
        SYSTEMTIME local;
        if (!TimeValueToFileTime(value, &stamp) || !FileTimeToSystemTime(&stamp, &utc) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
            return L"?";
        wchar_t text[64];
        swprintf(text, 64, L"%d,%d,%d,%d,%d,%d", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                 local.wSecond);
        return text;
    }

    // The attribute boxes read as flags, "compressed" apart.
    BYTE ShownAttributes() const
    {
        BYTE bits = 0;
        for (const AttributeBox& box : kAttributeBoxes)
            bits |= Checked(box.id) ? box.bit : 0;
        return bits;
    }
};

std::wstring ShellTypeName(const std::wstring& path)
{
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
    return info.szTypeName;
}

std::wstring ShortPath(const std::wstring& path)
{
    wchar_t text[MAX_PATH] = L"";
    GetShortPathNameW(path.c_str(), text, MAX_PATH);
    return text;
}

const ULONGLONG kJuly2011 = 1309514400;   // 2011-07-01 10:00:00 UTC
const ULONGLONG kMarch2015 = 1425204000;  // 2015-03-01 10:00:00 UTC
const ULONGLONG kOctober2019 = 1570615200; // 2019-10-09 10:00:00 UTC

} // namespace

TEST_F(FileView, OneFileShowsItsPropertiesNameAndState)
{
    std::wstring path = MakeStampedFile(L"report.txt", kJuly2011, FILE_ATTRIBUTE_HIDDEN, 1536);
    Choose({path});

    EXPECT_EQ(Header(0), L"項目");
    EXPECT_EQ(Header(1), L"値");
    ASSERT_EQ(ListRowCount(), 4);
    const wchar_t* labels[] = {L"種類", L"パス名", L"MS-DOS名", L"サイズ"};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(ListCell(row, 0), labels[row]);
    EXPECT_FALSE(ListCell(0, 1).empty());
    EXPECT_EQ(ListCell(0, 1), ShellTypeName(path)) << "the type name is the shell's own";
    EXPECT_EQ(ListCell(1, 1), path);
    EXPECT_EQ(ListCell(2, 1), ShortPath(path));
    EXPECT_EQ(ListCell(3, 1), L"1.5KB(1536バイト)");

    EXPECT_TRUE(Enabled(IDC_NAME));
    EXPECT_EQ(Text(IDC_NAME), L"report");
    EXPECT_TRUE(Enabled(IDC_EXTENSION));
    EXPECT_EQ(Text(IDC_EXTENSION), L"txt");
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kJuly2011));
    EXPECT_EQ(RowText(kAccessRow), LocalRow(kJuly2011));
    EXPECT_TRUE(Checked(IDC_ATTR_HIDDEN));
    EXPECT_FALSE(Checked(IDC_ATTR_READONLY));
    EXPECT_FALSE(Checked(IDC_ATTR_SYSTEM));
    EXPECT_FALSE(Checked(IDC_ATTR_COMPRESSED));
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION, IDC_SWITCH_CREATE,
                   IDC_SWITCH_WRITE, IDC_SWITCH_ACCESS, IDC_SWITCH_ATTRIBUTE})
        EXPECT_TRUE(Enabled(id)) << "control " << id;
    EXPECT_FALSE(Enabled(IDC_APPLY));
    for (const TimeRowControls& row : kTimeRows) {
        for (int field = 0; field < kTimeFieldCount; ++field) {
            int lower = 0, upper = 0;
            SendMessageW(dialog.GetDlgItem(row.spins[field]), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                         reinterpret_cast<LPARAM>(&upper));
            EXPECT_EQ(lower, kSpinRanges[field].lower) << "spin " << row.spins[field];
            EXPECT_EQ(upper, kSpinRanges[field].upper) << "spin " << row.spins[field];
        }
    }
}

TEST_F(FileView, SizeRowCarriesTheWholeCountOfALargeFile)
{
    std::wstring path = folder.MakeFile(L"huge.bin", 5ULL << 30);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    ULONGLONG made = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (made != (5ULL << 30))
        GTEST_SKIP() << "this file system cannot hold a 5 GiB test file (made " << made << " bytes)";
    Choose({path});
    EXPECT_EQ(ListCell(3, 1), L"5242880.0KB(5368709120バイト)");
}

TEST_F(FileView, SeveralFilesListEachFileAndShowTheFirst)
{
    std::wstring first = MakeStampedFile(L"alpha.txt", kJuly2011, FILE_ATTRIBUTE_HIDDEN);
    std::wstring second = MakeStampedFile(L"beta.dat", kMarch2015, 0);
    std::wstring third = MakeStampedFile(L"gamma.txt", kOctober2019, FILE_ATTRIBUTE_SYSTEM);
    Choose({folder.MakeFile(L"single.txt")});
    Choose({first, second, third});

    EXPECT_EQ(Header(0), L"ファイル名");
    EXPECT_EQ(Header(1), L"ファイルタイプ");
    ASSERT_EQ(ListRowCount(), 3);
    const std::wstring names[] = {L"alpha", L"beta", L"gamma"};
    const std::wstring paths[] = {first, second, third};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(ListCell(row, 0).rfind(names[row], 0), 0u) << "row " << row;
        EXPECT_FALSE(ListCell(row, 1).empty()) << "row " << row;
        EXPECT_EQ(ListCell(row, 1), ShellTypeName(paths[row])) << "row " << row;
    }
    EXPECT_FALSE(Enabled(IDC_NAME));
    EXPECT_EQ(Text(IDC_NAME), L"");
    EXPECT_FALSE(Enabled(IDC_EXTENSION));
    EXPECT_EQ(Text(IDC_EXTENSION), L"");
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kJuly2011));
    EXPECT_EQ(ShownAttributes() & ~FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

TEST_F(FileView, PickingARowShowsThatFilesTimesAndFlags)
{
    std::wstring first = MakeStampedFile(L"alpha.txt", kJuly2011, FILE_ATTRIBUTE_HIDDEN);
    std::wstring second = MakeStampedFile(L"beta.txt", kMarch2015, 0);
    std::wstring third = MakeStampedFile(L"gamma.txt", kOctober2019, FILE_ATTRIBUTE_SYSTEM);
    Choose({first, second, third});

    ClickRow(2);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kOctober2019));
    EXPECT_EQ(RowText(kAccessRow), LocalRow(kOctober2019));
    EXPECT_EQ(ShownAttributes() & ~FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_SYSTEM);

    SelectRow(1);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kMarch2015));
    EXPECT_EQ(ShownAttributes() & ~FILE_ATTRIBUTE_ARCHIVE, 0);

    // Below the last row: nothing changes.
    ClickRow(-1);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kMarch2015));
    EXPECT_EQ(Text(IDC_NAME), L"");
}

TEST_F(FileView, OnlyTheFirstPropertyRowNamesAFile)
{
    std::wstring path = MakeStampedFile(L"report.txt", kJuly2011, 0);
    Choose({path});
    Type(IDC_WRITE_YEAR, L"2000");
    CheckDlgButton(dialog.m_hWnd, IDC_ATTR_READONLY, BST_CHECKED);

    for (int row : {1, 2, 3, -1}) {
        ClickRow(row);
        EXPECT_EQ(Text(IDC_WRITE_YEAR), L"2000") << "row " << row;
        EXPECT_TRUE(Checked(IDC_ATTR_READONLY)) << "row " << row;
    }
    ClickRow(0);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kJuly2011));
    EXPECT_FALSE(Checked(IDC_ATTR_READONLY));
}

TEST_F(FileView, RefreshShowsTheStoredStateAgainWithApplyDisabled)
{
    std::wstring path = MakeStampedFile(L"report.txt", kJuly2011, 0);
    Choose({path});
    Type(IDC_NAME, L"renamed");
    Type(IDC_WRITE_YEAR, L"2000");
    EnableWindow(dialog.GetDlgItem(IDC_APPLY), TRUE);

    Choose({path});
    EXPECT_EQ(Text(IDC_NAME), L"report");
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kJuly2011));
    EXPECT_FALSE(Enabled(IDC_APPLY));
}

// Counts the item-change notifications that the list view sends the dialog.
class ItemChangeCounter {
public:
    explicit ItemChangeCounter(HWND dialog) : m_dialog(dialog)
    {
        s_count = 0;
        m_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Count)));
        s_previous = m_previous;
    }
    ~ItemChangeCounter() { SetWindowLongPtrW(m_dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous)); }
    int Total() const { return s_count; }

private:
    static LRESULT CALLBACK Count(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == IDC_FILE_LIST &&
            reinterpret_cast<NMHDR*>(lParam)->code == LVN_ITEMCHANGED)
            ++s_count;
        return CallWindowProcW(s_previous, hwnd, message, wParam, lParam);
    }

    static inline int s_count = 0;
    static inline WNDPROC s_previous = nullptr;
    HWND m_dialog;
    WNDPROC m_previous;
};

TEST_F(FileView, FillingTheListDoesNotShowEachRowInTurn)
{
    std::vector<std::wstring> paths;
    for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt", L"4.txt", L"5.txt"})
        paths.push_back(MakeStampedFile(name, kJuly2011, 0));
    Choose({paths[0], paths[1], paths[2], paths[3], paths[4]});
    SelectRow(3);

    ItemChangeCounter counter(dialog.m_hWnd);
    Choose({paths[0], paths[1], paths[2], paths[3], paths[4]});
    Choose({paths[0]});
    EXPECT_EQ(counter.Total(), 0) << "every item change re-reads a file and rewrites eighteen fields";
    SelectRow(2);
    EXPECT_GT(counter.Total(), 0) << "the counter sees a selection";
}

TEST_F(FileView, RefreshWithNoFileReturnsToTheOpeningState)
{
    StoreProfileValue(L"fileCreate", 1);
    StoreProfileValue(L"Attribute", 1);
    Choose({MakeStampedFile(L"report.txt", kJuly2011, FILE_ATTRIBUTE_HIDDEN)});
    Choose({});

    EXPECT_EQ(ListRowCount(), 0);
    EXPECT_EQ(Header(0), L"ファイル名");
    EXPECT_EQ(Header(1), L"ファイルタイプ");
    for (int id : {IDC_NAME, IDC_EXTENSION}) {
        EXPECT_EQ(Text(id), L"") << "control " << id;
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    }
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            EXPECT_EQ(Text(id), L"") << "control " << id;
            EXPECT_FALSE(Enabled(id)) << "control " << id;
        }
    }
    for (int id : {IDC_SWITCH_CREATE, IDC_SWITCH_WRITE, IDC_SWITCH_ACCESS, IDC_SWITCH_ATTRIBUTE, IDC_ATTR_READONLY,
                   IDC_ATTR_HIDDEN, IDC_ATTR_ARCHIVE, IDC_ATTR_SYSTEM, IDC_ATTR_COMPRESSED}) {
        EXPECT_FALSE(Enabled(id)) << "control " << id;
        EXPECT_FALSE(Checked(id)) << "control " << id;
    }
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION, IDC_APPLY})
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    EXPECT_TRUE(boxes.Take().empty());
    DWORD stored = 0;
    ASSERT_TRUE(ReadProfileValue(L"fileCreate", &stored));
    EXPECT_EQ(stored, 1u) << "the stored switches are kept";
}

namespace {

// A time value as the list shows it: local date and time to the second, in the user's format.
std::wstring ListedStamp(TimeValue value)
{
    FILETIME stamp;
    SYSTEMTIME utc;
    SYSTEMTIME time;
    if (!TimeValueToFileTime(value, &stamp) || !FileTimeToSystemTime(&stamp, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &time))
        return L"?";
    wchar_t date[80] = L"";
    wchar_t clock[80] = L"";
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, clock, 80);
    return std::wstring(date) + L" " + clock;
}

// 2070-01-01 00:00:00 UTC: past the years a 32-bit time holds.
const TimeValue kYear2070 = 3155760000LL;

} // namespace

TEST_F(FileView, EveryFileShowsItsOwnStateInItsRow)
{
    const std::wstring locked = MakeStampedFile(L"locked.txt", kJuly2011, 0);
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    const std::wstring missing = folder / L"missing.txt";
    const std::wstring future = MakeStampedFile(L"future.txt", kYear2070, 0, 1536);
    Choose({locked, missing, future});

    const wchar_t* const captions[] = {L"ファイル名", L"ファイルタイプ", L"作成日時", L"更新日時",
                                       L"アクセス日時", L"属性", L"サイズ"};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(Header(column), captions[column]);
    ASSERT_EQ(ListRowCount(), 3);

    EXPECT_EQ(ListCell(0, 0).rfind(L"locked", 0), 0u);
    EXPECT_EQ(ListCell(0, 3), ListedStamp(kJuly2011));
    EXPECT_EQ(ListCell(0, 4), ListedStamp(kJuly2011));
    const std::wstring letters = ListCell(0, 5);
    EXPECT_TRUE(letters == L"RH" || letters == L"RHA") << letters.c_str(); // Wine keeps the archive flag on every file
    EXPECT_EQ(ListCell(0, 6), L"0.1KB(100バイト)");

    EXPECT_EQ(ListCell(1, 1), L"（読み取れません）") << "a path that cannot be read says so";
    for (int column = 2; column < 7; ++column)
        EXPECT_EQ(ListCell(1, column), L"") << "column " << column;

    EXPECT_EQ(ListCell(2, 4), ListedStamp(kYear2070)) << "a stamp after 2049 shows its own year";
    EXPECT_NE(ListCell(2, 4).find(L"2070"), std::wstring::npos);
    EXPECT_EQ(ListCell(2, 6), L"1.5KB(1536バイト)");
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileView, ClickingAStampHeaderSortsByItBothWaysAndRowsStillPickTheirFile)
{
    const std::wstring middle = MakeStampedFile(L"a-middle.txt", kMarch2015, 0);
    const std::wstring newest = MakeStampedFile(L"b-newest.txt", kOctober2019, 0);
    const std::wstring oldest = MakeStampedFile(L"c-oldest.txt", kJuly2011, 0);
    Choose({middle, newest, oldest});
    auto clickHeader = [&](int column) {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = List();
        click.hdr.idFrom = IDC_FILE_LIST;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    };
    auto writeColumn = [&] {
        std::vector<std::wstring> stamps;
        for (int row = 0; row < ListRowCount(); ++row)
            stamps.push_back(ListCell(row, 3));
        return stamps;
    };

    clickHeader(3);
    const std::vector<std::wstring> ascending = {ListedStamp(kJuly2011), ListedStamp(kMarch2015),
                                                 ListedStamp(kOctober2019)};
    EXPECT_EQ(writeColumn(), ascending);
    EXPECT_EQ(ListCell(0, 0).rfind(L"c-oldest", 0), 0u) << "the whole row moves with its stamp";
    ClickRow(0);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kJuly2011)) << "a row still picks its own file";

    clickHeader(3);
    const std::vector<std::wstring> descending = {ascending[2], ascending[1], ascending[0]};
    EXPECT_EQ(writeColumn(), descending);
    ClickRow(0);
    EXPECT_EQ(RowText(kWriteRow), LocalRow(kOctober2019));
}
