#include "DialogWindow.h"

#include "Exceptions.h"
#include "StartupPhases.h"
#include "Application.h"

namespace {

// The dialog templates use list views, up-down controls and progress bars; with version 6 of the
// common controls their classes exist only once registered.
void RegisterCommonControls()
{
    static bool registered = false;
    if (registered)
        return;
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    registered = true;
}

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace

DialogWindow::DialogWindow(UINT templateId, DialogWindow* parent) : m_templateId(templateId), m_parent(parent)
{
}

DialogWindow::~DialogWindow()
{
    DestroyWindow();
}

INT_PTR DialogWindow::RunModal()
{
    RegisterCommonControls();
    m_modal = true;
    HWND owner = m_parent != nullptr ? m_parent->m_hWnd : MainWindowHandle();
    if (owner == m_hWnd)
        owner = nullptr;
    INT_PTR result = DialogBoxParamW(TheApplication()->m_instance, MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool DialogWindow::Create(HWND parent)
{
    RegisterCommonControls();
    m_modal = false;
    HWND hwnd = CreateDialogParamW(TheApplication()->m_instance, MAKEINTRESOURCEW(m_templateId), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void DialogWindow::DestroyWindow()
{
    if (m_hWnd != nullptr && !m_modal)
        ::DestroyWindow(m_hWnd);
}

void DialogWindow::EndDialog(int result)
{
    m_result = result;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        DestroyWindow();
}

std::wstring DialogItemText(HWND dialog, int id)
{
    HWND item = ::GetDlgItem(dialog, id);
    int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(item, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring DialogWindow::GetDlgItemText(int id) const
{
    return DialogItemText(m_hWnd, id);
}

BOOL DialogWindow::OnInitDialog()
{
    return TRUE;
}

void DialogWindow::OnOK()
{
    EndDialog(IDOK);
}

void DialogWindow::OnCancel()
{
    EndDialog(IDCANCEL);
}

const MessageMapEntry* DialogWindow::GetMessageEntries() const
{
    static const MessageMapEntry none[] = {{0, 0, 0, 0, nullptr}};
    return none;
}

void DialogWindow::PassToSystem()
{
    if (m_defaultRequested != nullptr)
        *m_defaultRequested = true;
}

const MessageMapEntry* DialogWindow::FindEntry(UINT message, WPARAM wParam, LPARAM lParam) const
{
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        code = header->code;
        id = static_cast<UINT>(header->idFrom);
    }
    for (const MessageMapEntry* entry = GetMessageEntries(); entry->handler != nullptr; ++entry) {
        if (entry->message != message)
            continue;
        if (message == WM_COMMAND || message == WM_NOTIFY) {
            if (entry->code != code || id < entry->firstId || id > entry->lastId)
                continue;
        }
        return entry;
    }
    return nullptr;
}

// Returns what the dialog procedure returns: TRUE when handled, FALSE for the system's handling.
INT_PTR DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        MarkStartupPhase(L"template created");
        BOOL result = OnInitDialog();
        if (!IsWindowVisible(m_hWnd))
            CenterOnOwner();
        return result;
    }

    if (const MessageMapEntry* entry = FindEntry(message, wParam, lParam)) {
        bool defaultRequested = false;
        bool* outer = m_defaultRequested;
        m_defaultRequested = &defaultRequested;
        LRESULT result;
        try {
            result = entry->handler(*this, MessageArgs{message, wParam, lParam});
        } catch (...) {
            m_defaultRequested = outer;
            throw;
        }
        m_defaultRequested = outer;
        if (defaultRequested)
            return FALSE;
        if (ReturnsResultDirectly(message))
            return static_cast<INT_PTR>(result);
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }

    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogWindow* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr)
        return FALSE;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }

    // No exception may cross back into the system: each message reports its own.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // An error while painting shows nothing; the system still validates the window.
        if (message == WM_PAINT)
            return FALSE;
        ReportCurrentException(hwnd);
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
}

void DialogWindow::CenterOnOwner()
{
    RECT window;
    GetWindowRect(m_hWnd, &window);
    RECT area;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
