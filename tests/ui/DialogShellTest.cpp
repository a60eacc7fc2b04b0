#include "support/DialogFixture.h"

#include "framework/Exceptions.h"
#include "ui/AboutDlg.h"

#include <vector>

namespace {

struct ExpectedControl {
    int id;
    const wchar_t* className;
    bool enabled;
};

// Creation order of the main dialog: each up-down right after its edit.
std::vector<ExpectedControl> ExpectedControls()
{
    std::vector<ExpectedControl> controls = {
        {IDOK, L"Button", true},
        {IDCANCEL, L"Button", true},
        {IDC_BROWSE, L"Button", true},
        {IDC_NAME, L"Edit", false},
    };
    for (const TimeRowControls& row : kTimeRows) {
        controls.push_back({row.switchId, L"Button", false});
        for (int field = 0; field < kTimeFieldCount; ++field) {
            controls.push_back({row.edits[field], L"Edit", false});
            controls.push_back({row.spins[field], UPDOWN_CLASSW, true});
        }
        controls.push_back({row.sourceList, WC_COMBOBOXW, false});
    }
    for (int id : {IDC_MODE_SET, IDC_MODE_SHIFT, IDC_MODE_SOURCE, IDC_SWITCH_ATTRIBUTE, IDC_ATTR_READONLY, IDC_ATTR_HIDDEN, IDC_ATTR_ARCHIVE, IDC_ATTR_SYSTEM,
                   IDC_ATTR_COMPRESSED})
        controls.push_back({id, L"Button", false});
    for (int label = 0; label < 20; ++label)
        controls.push_back({IDC_STATIC, L"Static", true});
    controls.push_back({IDC_STATIC, L"Button", true});
    controls.push_back({IDC_STATIC, L"Button", true});
    for (int id : {IDC_APPLY, IDC_CURRENT_TIME, IDC_ORIGINAL_TIME, IDC_CLEAR_TIME})
        controls.push_back({id, L"Button", false});
    controls.push_back({IDC_FILE_LIST, WC_LISTVIEWW, true});
    controls.push_back({IDC_EXTENSION, L"Edit", false});
    controls.push_back({IDC_SAME_AS_CREATION, L"Button", false});
    controls.push_back({IDC_FOLDER_CONTENTS, L"Button", true}); // chosen before files are
    controls.push_back({IDC_BROWSE_FOLDER, L"Button", true});
    controls.push_back({IDC_JOB_STATUS, L"Static", true});
    controls.push_back({IDC_JOB_PROGRESS, PROGRESS_CLASSW, true});
    controls.push_back({IDC_STATIC, L"Static", true});
    controls.push_back({IDC_FILTER, L"Edit", true}); // typed before files are chosen
    controls.push_back({IDC_CHOICE_COUNTS, L"Static", true});
    return controls;
}

class DialogShell : public DialogFixture {};

} // namespace

TEST_F(DialogShell, CreatesEveryControlInOrderWithItsInitialState)
{
    std::vector<ExpectedControl> expected = ExpectedControls();
    ASSERT_EQ(expected.size(), 91u);

    size_t index = 0;
    HWND previous = nullptr;
    for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ASSERT_LT(index, expected.size()) << "more controls than the template lists";
        const ExpectedControl& control = expected[index];
        wchar_t className[64] = L"";
        GetClassNameW(child, className, 64);
        EXPECT_EQ(GetDlgCtrlID(child), control.id) << "control " << index + 1;
        EXPECT_EQ(_wcsicmp(className, control.className), 0) << "control " << index + 1;
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, control.enabled) << "control " << index + 1;
        if (_wcsicmp(className, UPDOWN_CLASSW) == 0) {
            EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(child, UDM_GETBUDDY, 0, 0)), previous)
                << "up-down " << control.id << " spins the edit created just before it";
        }
        previous = child;
        ++index;
    }
    EXPECT_EQ(index, expected.size());

    wchar_t caption[64] = L"";
    GetWindowTextW(dialog.m_hWnd, caption, 64);
    EXPECT_STREQ(caption, L"Kalendrix Ver1.01");
    LONG_PTR exStyle = GetWindowLongPtrW(dialog.m_hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(Text(IDC_NAME).empty());
    EXPECT_TRUE(Text(IDC_CREATE_YEAR).empty());
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_STATUS))) << "shown only while a job runs";
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_PROGRESS)));
}

TEST_F(DialogShell, ListShowsGridLinesAndTwoColumns)
{
    HWND list = dialog.GetDlgItem(IDC_FILE_LIST);
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list), static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_INFOTIP));
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 300);
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 270);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 2);
    wchar_t header[64] = L"";
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = header;
    column.cchTextMax = 64;
    ListView_GetColumn(list, 0, &column);
    EXPECT_STREQ(header, L"ファイル名");
    ListView_GetColumn(list, 1, &column);
    EXPECT_STREQ(header, L"ファイルタイプ");
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_FALSE(style & LVS_SINGLESEL) << "several rows are selected at once";
    EXPECT_FALSE(style & LVS_NOSORTHEADER) << "a click on a column's header sorts by it";
    EXPECT_TRUE(style & LVS_OWNERDATA) << "the list holds no copy of the rows";
}

TEST_F(DialogShell, SystemMenuHasTheAboutEntryAfterASeparatorThenTheUndoEntry)
{
    HMENU menu = GetSystemMenu(dialog.m_hWnd, FALSE);
    ASSERT_NE(menu, nullptr);
    int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    EXPECT_EQ(GetMenuItemID(menu, count - 2), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t text[128] = L"";
    GetMenuStringW(menu, count - 2, text, 128, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Kalendrix のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, count - 3, TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_UNDO_LAST_CHANGE));
}

namespace {

// Closes the About box from another thread while the dialog waits in its modal loop.
struct AboutCloser {
    HWND owner = nullptr;
    bool seen = false;
    HANDLE thread = nullptr;

    static DWORD WINAPI Run(void* self)
    {
        auto* closer = static_cast<AboutCloser*>(self);
        for (int tries = 0; tries < 500; ++tries) {
            HWND about = FindWindowW(L"#32770", L"Kalendrixのﾊﾞｰｼﾞｮﾝ情報");
            if (about != nullptr && IsWindowVisible(about)) {
                closer->seen = true;
                closer->owner = GetWindow(about, GW_OWNER);
                PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return 0;
            }
            Sleep(10);
        }
        return 0;
    }
    void Start() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    void Join()
    {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
};

} // namespace

TEST_F(DialogShell, AboutCommandsOpenTheAboutBoxOverTheDialog)
{
    for (UINT command : {0x10u, 0x1Fu}) {
        AboutCloser closer;
        closer.Start();
        SendMessageW(dialog.m_hWnd, WM_SYSCOMMAND, command, 0);
        closer.Join();
        EXPECT_TRUE(closer.seen) << "command " << command;
        EXPECT_EQ(closer.owner, dialog.m_hWnd);
    }
    EXPECT_TRUE(IsWindow(dialog.m_hWnd)) << "the dialog stays after the About box";
}

TEST(ErrorReport, AnErrorInAHandlerIsShownAndTheDialogStays)
{
    // The dialog procedure reports what a handler raises, in a stop-icon box it owns.
    struct Throwing : DialogWindow {
        Throwing() : DialogWindow(IDD_ABOUTBOX) {}
        BOOL OnInitDialog() override { return TRUE; }
        void OnOK() override { ThrowInvalidArgument(); }
    } throwing;
    ASSERT_TRUE(throwing.Create());
    MessageBoxWatcher boxes;
    SendMessageW(throwing.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"引数が正しくありません。");
    EXPECT_EQ(shown[0].owner, throwing.m_hWnd);
    EXPECT_EQ(shown[0].icon, LoadIconW(nullptr, IDI_HAND));
    EXPECT_TRUE(IsWindow(throwing.m_hWnd));
}
