#include "KalendrixDlg.h"

#include "../framework/DisplayScale.h"
#include "../framework/StartupPhases.h"
#include "../framework/Application.h"
#include "../model/ChangeJournal.h"
#include "../model/JournalWriter.h"
#include "AboutDlg.h"

#include <cstdlib>

BEGIN_MESSAGE_MAP(CKalendrixDlg)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_SWITCH_ATTRIBUTE, OnSwitchAttribute)
    ON_BN_CLICKED(IDC_SWITCH_CREATE, OnSwitchCreate)
    ON_BN_CLICKED(IDC_SWITCH_WRITE, OnSwitchLastChange)
    ON_BN_CLICKED(IDC_SWITCH_ACCESS, OnSwitchLastRead)
    ON_BN_CLICKED(IDC_APPLY, OnApply)
    ON_BN_CLICKED(IDC_ORIGINAL_TIME, OnOriginalTime)
    ON_BN_CLICKED(IDC_CURRENT_TIME, OnCurrentTime)
    ON_BN_CLICKED(IDC_CLEAR_TIME, OnClearTime)
    // Years 1000, 1001, 1005 and the name 1002 (1003 and 1004 do not exist).
    ON_CONTROL_RANGE(EN_CHANGE, IDC_CREATE_YEAR, IDC_ACCESS_YEAR, OnFieldChanged)
    // A year is corrected when the user leaves it (only years: the handler looks).
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_CREATE_YEAR, IDC_ACCESS_YEAR, OnFieldLeft)
    // Months, days, hours, minutes and seconds of the three rows: 1024 to 1038.
    ON_CONTROL_RANGE(EN_CHANGE, IDC_CREATE_MONTH, IDC_ACCESS_SECOND, OnFieldChanged)
    // Attribute boxes 1040, 1041, 1043, 1044; "compressed" (1042) is not connected.
    ON_CONTROL_RANGE(BN_CLICKED, IDC_ATTR_READONLY, IDC_ATTR_ARCHIVE, OnFieldChanged)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_ATTR_HIDDEN, IDC_ATTR_SYSTEM, OnFieldChanged)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_EXTENSION, IDC_EXTENSION, OnFieldChanged)
    ON_WM_DROPFILES()
    ON_BN_CLICKED(IDC_SAME_AS_CREATION, OnSameAsCreation)
    ON_BN_CLICKED(IDC_FOLDER_CONTENTS, OnFolderContents)
    ON_BN_CLICKED(IDC_BROWSE_FOLDER, OnBrowseFolders)
    ON_MESSAGE(WM_REPORT_FOLDERS, OnReportFolders)
    ON_BN_CLICKED(IDC_MODE_SET, OnModeSet)
    ON_BN_CLICKED(IDC_MODE_SHIFT, OnModeShift)
    ON_BN_CLICKED(IDC_MODE_SOURCE, OnModeSource)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_CREATE_SOURCE, IDC_ACCESS_SOURCE, OnSourceChosen)
    ON_NOTIFY(NM_CLICK, IDC_FILE_LIST, OnListClick)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_FILE_LIST, OnListItemChanged)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_FILE_LIST, OnListDisplayInfo)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_FILE_LIST, OnListColumnClick)
    ON_NOTIFY(LVN_GETINFOTIPW, IDC_FILE_LIST, OnListInfoTip)
    ON_NOTIFY(LVN_KEYDOWN, IDC_FILE_LIST, OnListKeyDown)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    // The context menu's commands.
    ON_COMMAND(IDM_REMOVE_FROM_CHOICE, OnRemoveFromChoice)
    ON_COMMAND(IDM_OPEN_FOLDER, OnOpenFolder)
    ON_COMMAND(IDM_COPY_PATH, OnCopyPath)
    ON_EN_CHANGE(IDC_FILTER, OnFilterChanged)
    ON_MESSAGE(WM_SIZE, OnSize)
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    ON_MESSAGE(WM_REPORT_STAMPS, OnReportStamps)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
    ON_MESSAGE(WM_JOB_PROGRESS, OnJobProgress)
    ON_MESSAGE(WM_JOB_ENDED, OnJobEnded)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

CKalendrixDlg::CKalendrixDlg() : DialogWindow(IDD)
{
    m_fileOperate.SetJournalPath(DefaultJournalPath());
}

CKalendrixDlg::~CKalendrixDlg()
{
    for (HICON icon : {m_fileIcon, m_hIcon, m_smallIcon}) {
        if (icon != nullptr)
            DestroyIcon(icon);
    }
    if (m_scaledFont != nullptr)
        DeleteObject(m_scaledFont);
}

BOOL CKalendrixDlg::OnInitDialog()
{
    DialogWindow::OnInitDialog();

    static_assert((IDM_ABOUTBOX & 0xFFF0) == IDM_ABOUTBOX, "system command ids keep their low four bits clear");
    static_assert((IDM_UNDO_LAST_CHANGE & 0xFFF0) == IDM_UNDO_LAST_CHANGE, "system command ids keep their low four bits clear");
    if (HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t aboutText[256] = L"";
        LoadStringW(TheApplication()->m_instance, IDS_ABOUTBOX, aboutText, 256);
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        if (aboutText[0] != L'\0')
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText);
        AppendMenuW(systemMenu, MF_STRING, IDM_UNDO_LAST_CHANGE, L"直前の変更を元に戻す");
        // What a run that was killed while it applied left beside the journal.
        CleanUpJournalLeftovers(m_fileOperate.GetJournalPath());
        UpdateUndoEntry();
    }

    m_jobs.Attach(m_hWnd);
    m_timeRows.Attach(m_hWnd, *this);
    m_attributes.Attach(m_hWnd, *this);
    m_names.Attach(m_hWnd, *this);
    m_filter.Attach(m_hWnd, *this);
    m_dpi = DpiOfWindow(m_hWnd);
    TakeOverDialogScaling(m_hWnd);
    LoadScaledIcons();

    HWND list = GetDlgItem(IDC_FILE_LIST);
    ListView_SetExtendedListViewStyleEx(list, 0, LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    m_fileList.Attach(list);
    m_fileList.SetDpi(m_dpi);
    m_fileList.ShowNothing();

    // The controls' places at the template's size are the layout's base.
    m_layout.Attach(m_hWnd, IDC_FILE_LIST, IDC_NAME);
    RestorePlacement();
    RestoreFolderContents();
    m_filter.Restore();
    // Every argument after the program's own name is a path, taken as given.
    std::vector<std::wstring> paths(__wargv + 1, __wargv + (__argc > 1 ? __argc : 1));
    if (!paths.empty())
        HandOverFiles(std::move(paths));
    MarkStartupPhase(L"first refresh done");

    return TRUE;
}

void CKalendrixDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.RunModal();
    } else if ((id & 0xFFF0) == IDM_UNDO_LAST_CHANGE) {
        OnUndoLastChange();
    } else {
        PassToSystem();
    }
}

void CKalendrixDlg::OnPaint()
{
    if (IsIconic(m_hWnd)) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hWnd, &paint);
        SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int iconWidth = SystemMetricForDpi(SM_CXICON, m_dpi);
        int iconHeight = SystemMetricForDpi(SM_CYICON, m_dpi);
        RECT client;
        GetClientRect(m_hWnd, &client);
        int x = (client.right - client.left - iconWidth + 1) / 2;
        int y = (client.bottom - client.top - iconHeight + 1) / 2;
        DrawIconEx(dc, x, y, m_hIcon, iconWidth, iconHeight, 0, nullptr, DI_NORMAL);
        EndPaint(m_hWnd, &paint);
    } else {
        // The icon goes into the painted area after the background is erased, so that no
        // repaint wipes it.
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hWnd, &paint);
        DrawFileIcon(dc);
        EndPaint(m_hWnd, &paint);
        MarkStartupPhase(L"first paint");
        // For whoever measures the start-up; once, and only where the environment asks.
        WriteStartupPhases(L"KALENDRIX_STARTUP_PHASES");
    }
}

HCURSOR CKalendrixDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

// The parts' handlers: the message map passes each control on to the part that owns it.
void CKalendrixDlg::OnFieldChanged(UINT id)
{
    if (m_refreshing)
        return;
    TimeRow row;
    TimeField field;
    if (FindTimeField(static_cast<int>(id), &row, &field))
        m_timeRows.OnFieldChanged(static_cast<int>(id));
    else if (id == IDC_NAME || id == IDC_EXTENSION)
        m_names.OnChanged(static_cast<int>(id));
    else
        m_attributes.OnBoxClicked();
}

void CKalendrixDlg::OnFieldLeft(UINT id)
{
    m_timeRows.OnFieldLeft(static_cast<int>(id));
}

void CKalendrixDlg::OnModeSet()
{
    m_timeRows.OnModeChosen(ChangeMode::set);
}

void CKalendrixDlg::OnModeShift()
{
    m_timeRows.OnModeChosen(ChangeMode::shift);
}

void CKalendrixDlg::OnOriginalTime()
{
    m_timeRows.OnOriginalTime();
}

void CKalendrixDlg::OnCurrentTime()
{
    m_timeRows.OnCurrentTime();
}

void CKalendrixDlg::OnClearTime()
{
    m_timeRows.OnClearTime();
}

void CKalendrixDlg::OnSameAsCreation()
{
    m_timeRows.OnSameAsCreation();
}

void CKalendrixDlg::OnSwitchCreate()
{
    m_timeRows.OnSwitchClicked(kCreationRow);
}

void CKalendrixDlg::OnSwitchLastChange()
{
    m_timeRows.OnSwitchClicked(kWriteRow);
}

void CKalendrixDlg::OnSwitchLastRead()
{
    m_timeRows.OnSwitchClicked(kAccessRow);
}

void CKalendrixDlg::OnSwitchAttribute()
{
    m_attributes.OnSwitchClicked();
}

FileRecord CKalendrixDlg::FirstFileRecord() const
{
    return m_fileOperate.GetRecord(0);
}

FileRecord CKalendrixDlg::ShownFileRecord() const
{
    return m_fileOperate.GetRecord(m_shownIndex >= 0 && m_shownIndex < m_fileOperate.GetCount() ? m_shownIndex : 0);
}

int CKalendrixDlg::FileCount() const
{
    return m_fileOperate.GetCount();
}

void CKalendrixDlg::PartEdited(bool enableApply, const FileRecord* first)
{
    if (enableApply)
        EnableDlgItem(IDC_APPLY, true);
    if (first != nullptr)
        UpdatePreview(*first);
    else
        UpdatePreview();
}
