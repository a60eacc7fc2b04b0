// How far a piece of long work is, and whether it is asked to stop: written by the worker
// that does the work, read and cancelled by the window that shows it.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

class WorkProgress {
public:
    // The worker: the items in all, then each item done (between two items the work looks
    // at CancelRequested and stops there when asked).
    void Begin(size_t total) { m_total = total; }
    void ItemDone()
    {
        const size_t done = ++m_done;
        if (m_onItem)
            m_onItem(done);
    }
    bool CancelRequested() const { return m_cancel.load(); }

    // The window.
    void RequestCancel() { m_cancel = true; }
    size_t Done() const { return m_done.load(); }
    size_t Total() const { return m_total.load(); }

    // Called on the worker after every item done, with the count done; set before the work
    // starts.
    void OnItem(std::function<void(size_t done)> onItem) { m_onItem = std::move(onItem); }

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<size_t> m_done{0};
    std::atomic<size_t> m_total{0};
    std::function<void(size_t)> m_onItem;
};

// For work that may run without a window: a null progress is never cancelled.
inline bool CancelRequested(const WorkProgress* progress)
{
    return progress != nullptr && progress->CancelRequested();
}
inline void BeginWork(WorkProgress* progress, size_t total)
{
    if (progress != nullptr)
        progress->Begin(total);
}
inline void ItemDone(WorkProgress* progress)
{
    if (progress != nullptr)
        progress->ItemDone();
}
