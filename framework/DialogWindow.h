// Dialog on a resource template, run modally (the product) or modeless (tests),
// with a static message map of {message, notification code, first id, last id, handler}.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>

class DialogWindow;

// The text of a dialog's control.
std::wstring DialogItemText(HWND dialog, int id);

struct MessageArgs {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A handler entry cracks the message's parameters and calls a typed member function.
using MessageThunk = LRESULT (*)(DialogWindow& dialog, const MessageArgs& args);

struct MessageMapEntry {
    UINT message;
    UINT code;    // notification code for WM_COMMAND and WM_NOTIFY, else 0
    UINT firstId; // control id range for WM_COMMAND and WM_NOTIFY, else 0
    UINT lastId;
    MessageThunk handler; // null ends the map
};

class DialogWindow {
public:
    DialogWindow(UINT templateId, DialogWindow* parent = nullptr);
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // Runs the dialog modally; returns IDOK, IDCANCEL or -1 when it could not be created.
    INT_PTR RunModal();
    // Creates the dialog modeless, as a test drives it; returns false when it could not be created.
    bool Create(HWND parent = nullptr);
    void DestroyWindow();
    // Modal: ends the modal loop. Modeless: records the result and destroys the window.
    void EndDialog(int result);
    int GetResult() const { return m_result; }

    HWND Handle() const { return m_hWnd; }

    // Thin control access by identifier.
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::wstring GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckDlgButton(int id, UINT state) { ::CheckDlgButton(m_hWnd, id, state); }
    void EnableDlgItem(int id, bool enable) { ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE); }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // The derived class's entries, ended by an entry with a null handler.
    virtual const MessageMapEntry* GetMessageEntries() const;
    // Inside a handler: let the system's dialog procedure handle the message as well.
    void PassToSystem();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const MessageMapEntry* FindEntry(UINT message, WPARAM wParam, LPARAM lParam) const;
    void CenterOnOwner();

    UINT m_templateId;
    DialogWindow* m_parent;
    bool m_modal = false;
    int m_result = 0;
    bool* m_defaultRequested = nullptr; // of the message being dispatched
};

// The message map: a static table of entries, each cracking its message for a typed handler.
#define DECLARE_MESSAGE_MAP() \
protected:                    \
    const MessageMapEntry* GetMessageEntries() const override;

#define BEGIN_MESSAGE_MAP(theClass)                                  \
    const MessageMapEntry* theClass::GetMessageEntries() const       \
    {                                                                \
        using ThisClass = theClass;                                  \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()        \
    {0, 0, 0, 0, nullptr}};      \
        return entries;          \
    }

#define MESSAGE_THUNK(body) \
    [](DialogWindow& dialog, const MessageArgs& args) -> LRESULT { \
        ThisClass& self = static_cast<ThisClass&>(dialog);    \
        (void)self; (void)args;                               \
        body                                                  \
    }

// void OnSysCommand(UINT id, LPARAM lParam)
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, 0, MESSAGE_THUNK(self.OnSysCommand(static_cast<UINT>(args.wParam), args.lParam); return 0;)},
// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, MESSAGE_THUNK(self.OnPaint(); return 0;)},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, MESSAGE_THUNK(return reinterpret_cast<LRESULT>(self.OnQueryDragIcon());)},
// void OnDropFiles(HDROP drop)
#define ON_WM_DROPFILES() \
    {WM_DROPFILES, 0, 0, 0, MESSAGE_THUNK(self.OnDropFiles(reinterpret_cast<HDROP>(args.wParam)); return 0;)},
// void handler(WPARAM wParam, LPARAM lParam), for a message of the program's own
#define ON_MESSAGE(message, handler) \
    {message, 0, 0, 0, MESSAGE_THUNK(self.handler(args.wParam, args.lParam); return 0;)},
// void handler()
#define ON_BN_CLICKED(id, handler) {WM_COMMAND, BN_CLICKED, id, id, MESSAGE_THUNK(self.handler(); return 0;)},
// void handler(), for a menu's command
#define ON_COMMAND(id, handler) {WM_COMMAND, 0, id, id, MESSAGE_THUNK(self.handler(); return 0;)},
// void handler()
#define ON_EN_CHANGE(id, handler) {WM_COMMAND, EN_CHANGE, id, id, MESSAGE_THUNK(self.handler(); return 0;)},
// void handler(UINT id), for every control from first to last
#define ON_CONTROL_RANGE(code, first, last, handler) \
    {WM_COMMAND, code, first, last, MESSAGE_THUNK(self.handler(LOWORD(args.wParam)); return 0;)},
// void handler(NMHDR* header, LRESULT* result)
#define ON_NOTIFY(code, id, handler)                                              \
    {WM_NOTIFY, static_cast<UINT>(code), id, id, MESSAGE_THUNK(                   \
        LRESULT result = 0;                                                       \
        self.handler(reinterpret_cast<NMHDR*>(args.lParam), &result); return result;)},
