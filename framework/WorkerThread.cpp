#include "WorkerThread.h"

#include "Exceptions.h"

namespace {

// Often enough for a counter that moves smoothly, rarely enough not to flood the queue.
const ULONGLONG kProgressInterval = 50;

} // namespace

WorkerThread::WorkerThread(UINT progressMessage, UINT endMessage)
    : m_progressMessage(progressMessage), m_endMessage(endMessage), m_progress(new WorkProgress)
{
}

WorkerThread::~WorkerThread()
{
    CancelAndWait();
}

void WorkerThread::Start(HWND window, Work work)
{
    if (Running())
        throw MessageError(L"別の処理が終わっていません。");
    m_window = window;
    m_work = std::move(work);
    m_failure = nullptr;
    m_ended = false;
    m_progress.reset(new WorkProgress);
    m_progress->OnItem([this](size_t) { ItemDone(); });
    m_lastPost = GetTickCount64();
    m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (m_thread == nullptr) {
        const DWORD error = GetLastError();
        m_work = nullptr;
        ThrowHResult(HRESULT_FROM_WIN32(error));
    }
}

DWORD WINAPI WorkerThread::Run(void* self)
{
    WorkerThread& job = *static_cast<WorkerThread*>(self);
    try {
        job.m_work(*job.m_progress);
    } catch (...) {
        job.m_failure = std::current_exception();
    }
    job.m_ended = true;
    // Not checked: where the queue cannot take it, the window finds Ended() by its timer.
    PostMessageW(job.m_window, job.m_endMessage, 0, 0);
    return 0;
}

void WorkerThread::ItemDone()
{
    if (m_observer)
        m_observer(*m_progress);
    const ULONGLONG now = GetTickCount64();
    if (now - m_lastPost >= kProgressInterval) {
        m_lastPost = now;
        PostMessageW(m_window, m_progressMessage, 0, 0);
    }
}

void WorkerThread::Cancel()
{
    if (Running())
        m_progress->RequestCancel();
}

void WorkerThread::Finish()
{
    if (!Running())
        return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_work = nullptr;
    if (m_failure) {
        std::exception_ptr failure = m_failure;
        m_failure = nullptr;
        std::rethrow_exception(failure);
    }
}

void WorkerThread::CancelAndWait()
{
    if (!Running())
        return;
    m_progress->RequestCancel();
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_work = nullptr;
    m_failure = nullptr;
}
