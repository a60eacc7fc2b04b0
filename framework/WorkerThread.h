// One piece of long work at a time on a worker thread. The worker posts its progress (at
// most every 50 ms) and its end to a window with PostMessageW, never SendMessage, which
// could deadlock against a modal box of the window's thread; it touches no window.
#pragma once

#include "WorkProgress.h"

#include <windows.h>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class WorkerThread {
public:
    using Work = std::function<void(WorkProgress& progress)>;

    // `progressMessage` and `endMessage` are posted to the window with no parameters.
    WorkerThread(UINT progressMessage, UINT endMessage);
    // Cancels a job still running and waits for it, so that no item is left half done.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts `work` on the worker; raises when a job runs already or no thread can start.
    void Start(HWND window, Work work);
    // From the start until Finish: also after the worker posted its end, until the window
    // took it.
    bool Running() const { return m_thread != nullptr; }
    const WorkProgress& Progress() const { return *m_progress; }
    // The work is over and its end was posted (or could not be: a full queue loses it, and
    // the window looks here as well).
    bool Ended() const { return m_ended.load(); }
    // Asks the work to stop after the item at hand; its end is posted as usual.
    void Cancel();
    // At the end message: the worker has ended (its last act was the post), so the wait is
    // for the thread's exit only. Raises what the work raised.
    void Finish();
    // At the window's end: cancels and waits for the worker, whose end message is then
    // dropped with the window.
    void CancelAndWait();

    // Called on the worker after each item done (a test pauses or cancels the work there).
    void SetItemObserver(std::function<void(WorkProgress& progress)> observer) { m_observer = std::move(observer); }

private:
    static DWORD WINAPI Run(void* self);
    void ItemDone();

    UINT m_progressMessage;
    UINT m_endMessage;
    HWND m_window = nullptr;
    HANDLE m_thread = nullptr;
    Work m_work;
    std::unique_ptr<WorkProgress> m_progress;
    std::exception_ptr m_failure;
    std::atomic<bool> m_ended{false};
    ULONGLONG m_lastPost = 0; // the worker's own
    std::function<void(WorkProgress&)> m_observer;
};
