// The dialog's side of long work: it starts a job, passes the worker's messages to the job
// host, and cancels. The files are done on the worker; the window answers meanwhile.
#include "KalendrixDlg.h"

bool CKalendrixDlg::RefuseDuringJob(HDROP drop)
{
    if (!JobRunning())
        return false;
    if (drop != nullptr)
        DragFinish(drop);
    MessageBeep(MB_ICONWARNING);
    return true;
}

void CKalendrixDlg::StartJob(std::unique_ptr<DialogJob> job)
{
    m_jobs.Start(std::move(job));
    UpdateUndoEntry();
}

void CKalendrixDlg::OnTimer(WPARAM id, LPARAM)
{
    if (!m_jobs.OnTimer(id))
        PassToSystem();
}

void CKalendrixDlg::OnJobProgress(WPARAM, LPARAM)
{
    m_jobs.OnProgress();
}

void CKalendrixDlg::OnCancel()
{
    if (!JobRunning()) {
        DialogWindow::OnCancel();
        return;
    }
    m_jobs.Cancel();
}

void CKalendrixDlg::OnJobEnded(WPARAM, LPARAM)
{
    try {
        m_jobs.OnEnded();
    } catch (...) {
        UpdateUndoEntry();
        throw;
    }
    UpdateUndoEntry();
}

// The window's end: the worker stops after the file at hand, so that none is left half done.
void CKalendrixDlg::OnDestroy(WPARAM, LPARAM)
{
    SavePlacement();
    m_jobs.CancelAndWait();
    PassToSystem();
}
