// Finds the message boxes that this process shows, records what they say and closes them,
// from a thread of its own while the user-interface thread waits in the box's modal loop.
#pragma once

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
    HWND owner;
    HICON icon;
};

class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The boxes shown and closed so far, in order; clears the record.
    std::vector<ShownMessageBox> Take();

private:
    static DWORD WINAPI Run(void* self);
    void Poll();

    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;
    CRITICAL_SECTION m_lock;
    std::vector<ShownMessageBox> m_boxes;
    std::vector<HWND> m_closing;
    std::vector<std::pair<HWND, DWORD>> m_seen; // boxes waiting to settle, with the tick first seen
};
