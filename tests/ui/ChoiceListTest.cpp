// The list of several files: rows taken out of the choice, the filter, the counts line,
// and the columns that keep names and changes in view.
#include "support/ApplyFixture.h"

#include "framework/Application.h"
#include "framework/DisplayScale.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ChoiceList : public ApplyFixture {
protected:
    HWND List() const { return dialog.GetDlgItem(IDC_FILE_LIST); }

    void Select(std::initializer_list<int> rows, int focused)
    {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int row : rows)
            ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED);
        ListView_SetItemState(List(), focused, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    // A key pressed in the list, with Ctrl held or not.
    void PressKey(WORD key, bool control = false)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        const BYTE before = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(List(), WM_KEYDOWN, key, 0);
        SendMessageW(List(), WM_KEYUP, key, 0);
        keys[VK_CONTROL] = before;
        SetKeyboardState(keys);
    }

    void Command(int id) { SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    std::vector<std::wstring> RowNames() const
    {
        std::vector<std::wstring> names;
        for (int row = 0; row < ListRowCount(); ++row)
            names.push_back(ListCell(row, FileListView::kNameColumn));
        return names;
    }

    int ColumnWidth(int column) const { return ListView_GetColumnWidth(List(), column); }
    int TextWidth(const std::wstring& text) const { return ListView_GetStringWidth(List(), text.c_str()); }
};

} // namespace

// Delete and "選択したファイルを外す" take files out of the choice, not off the disk, and an
// apply then leaves them alone.
TEST_F(ChoiceList, RemovedFilesLeaveTheChoiceAndApplyLeavesThemAlone)
{
    const std::wstring a = MakeStampedFile(L"a.txt");
    const std::wstring b = MakeStampedFile(L"b.txt");
    const std::wstring c = MakeStampedFile(L"c.txt");
    const std::wstring d = MakeStampedFile(L"d.txt");
    Choose({a, b, c, d});
    Select({1}, 3);
    PressKey(VK_DELETE);
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"a.txt", L"c.txt"}));
    EXPECT_EQ(Text(IDC_CHOICE_COUNTS), L"2 件（表示 2、フォルダ 0）・変更 0 件");
    EXPECT_NE(GetFileAttributesW(b.c_str()), INVALID_FILE_ATTRIBUTES) << "still on the disk";

    SetRow(kWriteRow, {2020, 2, 3, 4, 5, 6});
    EXPECT_EQ(Text(IDC_CHOICE_COUNTS), L"2 件（表示 2、フォルダ 0）・変更 2 件");
    Apply();
    EXPECT_NE(WriteSecondsOf(a), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_NE(WriteSecondsOf(c), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_EQ(WriteSecondsOf(b), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_EQ(WriteSecondsOf(d), static_cast<ULONGLONG>(kOldWrite));

    // The context menu's entry; one file left shows its properties.
    Select({}, 0);
    Command(IDM_REMOVE_FROM_CHOICE);
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 1);
    EXPECT_EQ(dialog.GetFileOperate().GetFirstPath(), c);
    EXPECT_FALSE(dialog.GetFileList().ShowsFiles());
}

TEST_F(ChoiceList, CtrlASelectsEveryRowAndTheirPathsAreCopied)
{
    const std::wstring a = MakeStampedFile(L"a.txt");
    const std::wstring b = MakeStampedFile(L"b.txt");
    Choose({a, b});
    PressKey('A', true);
    EXPECT_EQ(ListView_GetSelectedCount(List()), 2u);
    Command(IDM_COPY_PATH);
    ASSERT_TRUE(OpenClipboard(dialog.m_hWnd));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data != nullptr)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, a + L"\r\n" + b);

    // The row's tooltip is its full path.
    wchar_t tip[MAX_PATH] = L"";
    NMLVGETINFOTIPW request = {};
    request.hdr = {List(), IDC_FILE_LIST, static_cast<UINT>(LVN_GETINFOTIPW)};
    request.pszText = tip;
    request.cchTextMax = MAX_PATH;
    request.iItem = 1;
    SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&request));
    EXPECT_EQ(std::wstring(tip), b);
}

// Of several selected rows, the rows and boxes show the focused one's file.
TEST_F(ChoiceList, TheRowsShowTheFocusedRowOfASelection)
{
    const std::wstring plain = MakeStampedFile(L"a.txt");
    const std::wstring hidden = MakeStampedFile(L"b.txt");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    Choose({plain, hidden, MakeStampedFile(L"c.txt")});
    Select({0, 2}, 1);
    EXPECT_TRUE(Checked(IDC_ATTR_HIDDEN));
    Select({1, 2}, 0);
    EXPECT_FALSE(Checked(IDC_ATTR_HIDDEN));
}

// The filter acts on the list as typed; Apply writes the files shown and no others; the
// filter is there again at the next start.
TEST_F(ChoiceList, TheFilterNarrowsTheListAndApplyWritesOnlyTheFilesShown)
{
    const std::wstring photo = MakeStampedFile(L"IMG_0412.JPG");
    const std::wstring thumbnail = MakeStampedFile(L"MVI_0001.THM");
    const std::wstring clip = MakeStampedFile(L"MVI_0001.MOV");
    const std::wstring settings = MakeStampedFile(L"desktop.ini");
    Choose({photo, thumbnail, clip, settings});
    Type(IDC_FILTER, L"*.jpg; *.mov");
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"IMG_0412.JPG", L"MVI_0001.MOV"}));
    Type(IDC_FILTER, L"-*.thm;-desktop.ini");
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"IMG_0412.JPG", L"MVI_0001.MOV"}));
    EXPECT_EQ(Text(IDC_CHOICE_COUNTS), L"4 件（表示 2、フォルダ 0）・変更 0 件");

    SetRow(kWriteRow, {2020, 2, 3, 4, 5, 6});
    EXPECT_EQ(Text(IDC_CHOICE_COUNTS), L"4 件（表示 2、フォルダ 0）・変更 2 件");
    Apply();
    EXPECT_NE(WriteSecondsOf(photo), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_NE(WriteSecondsOf(clip), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_EQ(WriteSecondsOf(thumbnail), static_cast<ULONGLONG>(kOldWrite));
    EXPECT_EQ(WriteSecondsOf(settings), static_cast<ULONGLONG>(kOldWrite));

    dialog.DestroyWindow();
    CKalendrixDlg again;
    ASSERT_TRUE(again.Create());
    EXPECT_EQ(again.GetDlgItemText(IDC_FILTER), L"-*.thm;-desktop.ini");
    again.DestroyWindow();
}

// With "フォルダの中も" a folder stays whatever its name, so that what is below it is reached.
TEST_F(ChoiceList, FoldersStayWhenTheirContentsAreTakenIn)
{
    const std::wstring album = folder.MakeFolder(L"album");
    MakeStampedFile(L"album\\IMG_0412.JPG");
    MakeStampedFile(L"album\\IMG_0412.THM");
    Click(IDC_FOLDER_CONTENTS);
    Choose({album});
    ASSERT_TRUE(WaitForJob());
    Type(IDC_FILTER, L"*.jpg");
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"album", L"IMG_0412.JPG"}));
    EXPECT_EQ(Text(IDC_CHOICE_COUNTS), L"3 件（表示 2、フォルダ 1）・変更 0 件");
}

// Names first within a third of the list, a narrow type, each stamp as wide as its text and,
// in a preview, as wide as "old → new", scrolled into view; a width the user gave stays.
TEST_F(ChoiceList, ColumnsKeepNamesAndChangesInView)
{
    const std::wstring longName = MakeStampedFile(std::wstring(120, L'n') + L".txt");
    const std::wstring other = MakeStampedFile(L"b.txt");
    Choose({longName, other});
    RECT client;
    GetClientRect(List(), &client);
    EXPECT_LE(ColumnWidth(FileListView::kNameColumn), client.right / 3);
    EXPECT_GE(ColumnWidth(FileListView::kNameColumn), client.right / 3 - 1) << "the long name takes all a third";
    EXPECT_LE(ColumnWidth(FileListView::kTypeColumn), ScaleToDpi(120, dialog.GetDpi()));
    const std::wstring stamp = ListCell(0, FileListView::kWriteColumn);
    EXPECT_GE(ColumnWidth(FileListView::kWriteColumn), TextWidth(stamp));
    // Room for a stamp's longest form: this one's month, day or hour may have one digit less.
    EXPECT_LE(ColumnWidth(FileListView::kWriteColumn), TextWidth(stamp) + TextWidth(L"0000") + ScaleToDpi(20, dialog.GetDpi()));

    SetRow(kAccessRow, {2020, 2, 3, 4, 5, 6});
    const std::wstring change = ListCell(0, FileListView::kAccessColumn);
    EXPECT_NE(change.find(L" → "), std::wstring::npos);
    EXPECT_GE(ColumnWidth(FileListView::kAccessColumn), TextWidth(change));
    int left = 0;
    for (int column = 0; column < FileListView::kAccessColumn; ++column)
        left += ColumnWidth(column);
    const int scrolled = GetScrollPos(List(), SB_HORZ);
    EXPECT_GE(left, scrolled);
    EXPECT_LE(left + ColumnWidth(FileListView::kAccessColumn), scrolled + client.right) << "scrolled into view";

    ListView_SetColumnWidth(List(), FileListView::kSizeColumn, 333);
    Choose({other, longName});
    EXPECT_EQ(ColumnWidth(FileListView::kSizeColumn), 333) << "the user's width stays";
}

// During a preview a stamp column sorts by the value the apply would give.
TEST_F(ChoiceList, SortingAPreviewedStampSortsByItsNewValue)
{
    const std::wstring newer = MakeStampedFile(L"newer.txt");
    const std::wstring older = MakeStampedFile(L"older.txt");
    FILETIME early = StampOf(kOldWrite - 86400);
    ASSERT_TRUE(WriteStamps(older, nullptr, nullptr, &early));
    Choose({newer, older});
    NMLISTVIEW click = {};
    click.hdr = {List(), IDC_FILE_LIST, static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iSubItem = FileListView::kWriteColumn;
    SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"older.txt", L"newer.txt"}));

    // Both would get one time: ascending again, the tie keeps the order they were chosen in.
    SetRow(kWriteRow, {2020, 2, 3, 4, 5, 6});
    SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    SendMessageW(dialog.m_hWnd, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(RowNames(), (std::vector<std::wstring>{L"newer.txt", L"older.txt"}));
}
