#include "MessageBoxWatcher.h"

namespace {

// The text control of a system message box, and its icon control, which differs between
// Windows (0x14) and Wine (0x440).
const int kMessageBoxTextId = 0xFFFF;
const int kMessageBoxIconIds[] = {0x14, 0x440};
const DWORD kSettleMs = 50;

std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = L"";
    GetWindowTextW(window, text, 4096);
    return text;
}

bool IsMessageBox(HWND window, HICON* icon)
{
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    if (wcscmp(className, L"#32770") != 0 || GetDlgItem(window, kMessageBoxTextId) == nullptr)
        return false;
    for (int id : kMessageBoxIconIds) {
        if (HWND iconControl = GetDlgItem(window, id)) {
            *icon = reinterpret_cast<HICON>(SendMessageW(iconControl, STM_GETICON, 0, 0));
            return true;
        }
    }
    // Every box of the program carries an icon; dialogs without that control are not boxes.
    return false;
}

struct EnumContext {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* enumContext = reinterpret_cast<EnumContext*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == enumContext->process && IsWindowVisible(window))
        enumContext->found.push_back(window);
    return TRUE;
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher()
{
    InitializeCriticalSection(&m_lock);
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    SetEvent(m_stop);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_stop);
    DeleteCriticalSection(&m_lock);
}

std::vector<ShownMessageBox> MessageBoxWatcher::Take()
{
    EnterCriticalSection(&m_lock);
    std::vector<ShownMessageBox> boxes;
    boxes.swap(m_boxes);
    LeaveCriticalSection(&m_lock);
    return boxes;
}

DWORD WINAPI MessageBoxWatcher::Run(void* self)
{
    auto* watcher = static_cast<MessageBoxWatcher*>(self);
    while (WaitForSingleObject(watcher->m_stop, 10) == WAIT_TIMEOUT)
        watcher->Poll();
    return 0;
}

void MessageBoxWatcher::Poll()
{
    EnumContext context{GetCurrentProcessId(), {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));

    // Forget boxes that have gone.
    std::vector<HWND> stillOpen;
    for (HWND window : m_closing) {
        if (IsWindow(window))
            stillOpen.push_back(window);
    }
    m_closing.swap(stillOpen);
    std::vector<std::pair<HWND, DWORD>> stillSeen;
    for (const auto& seen : m_seen) {
        if (IsWindow(seen.first))
            stillSeen.push_back(seen);
    }
    m_seen.swap(stillSeen);

    for (HWND window : context.found) {
        bool known = false;
        for (HWND closing : m_closing)
            known = known || closing == window;
        HICON icon = nullptr;
        if (known || !IsMessageBox(window, &icon))
            continue;
        ShownMessageBox box{WindowText(window), WindowText(GetDlgItem(window, kMessageBoxTextId)),
                            GetWindow(window, GW_OWNER), icon};
        // Closing a box in the instant it is mapped can make Wine's X11 driver unmap a
        // window the X server no longer has, which ends the process; let it settle first.
        bool settled = false;
        for (auto& seen : m_seen)
            settled = settled || (seen.first == window && GetTickCount() - seen.second >= kSettleMs);
        if (!settled) {
            bool recorded = false;
            for (auto& seen : m_seen)
                recorded = recorded || seen.first == window;
            if (!recorded)
                m_seen.push_back({window, GetTickCount()});
            continue;
        }
        EnterCriticalSection(&m_lock);
        m_boxes.push_back(box);
        LeaveCriticalSection(&m_lock);
        m_closing.push_back(window);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}
