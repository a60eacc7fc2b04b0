// The dialog's side of long work: it starts a job, shows its progress, cancels it, and
// takes its end. The files are done on the worker; the window answers meanwhile.
#include "KalendrixDlg.h"

namespace {

// The controls that could start a second piece of work while one runs.
// The modes too: a change of mode would enable or disable commands the job holds.
const int kStartingWork[] = {IDOK, IDC_APPLY, IDC_BROWSE, IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME,
                             IDC_SAME_AS_CREATION, IDC_MODE_SET, IDC_MODE_SHIFT, IDC_FOLDER_CONTENTS,
                             IDC_BROWSE_FOLDER};

// Work shorter than this ends before its progress is shown.
const UINT kProgressDelayMs = 333;
// Once shown, the progress is also read this often: the worker posts only as files end, and
// a slow file would leave the count shown before the last files that ended quickly.
const UINT kProgressRefreshMs = 250;
const UINT_PTR kProgressTimer = 0x21;

} // namespace

bool CKalendrixDlg::RefuseDuringJob(HDROP drop)
{
    if (!JobRunning())
        return false;
    if (drop != nullptr)
        DragFinish(drop);
    MessageBeep(MB_ICONWARNING);
    return true;
}

void CKalendrixDlg::StartJob(const std::wstring& doing, CWorkerJob::Work work)
{
    m_job.Start(m_hWnd, std::move(work));
    m_jobDoing = doing;
    // Before the dialog is shown (a reading at start) nothing has the focus yet: it goes to
    // OK as the dialog manager would give it, once OK is back.
    m_focusBeforeJob = GetFocus() != nullptr ? GetFocus() : GetDlgItem(IDOK);
    m_enabledBeforeJob.clear();
    for (int id : kStartingWork) {
        m_enabledBeforeJob.push_back({id, IsWindowEnabled(GetDlgItem(id)) != FALSE});
        if (GetFocus() == GetDlgItem(id))
            SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
        EnableDlgItem(id, false);
    }
    UpdateUndoEntry();
    SetTimer(m_hWnd, kProgressTimer, kProgressDelayMs, nullptr);
}

void CKalendrixDlg::OnTimer(WPARAM id, LPARAM)
{
    if (id != kProgressTimer) {
        Default();
        return;
    }
    if (!JobRunning()) {
        KillTimer(m_hWnd, kProgressTimer);
        return;
    }
    if (!IsWindowVisible(GetDlgItem(IDC_JOB_STATUS))) {
        ShowWindow(GetDlgItem(IDC_JOB_STATUS), SW_SHOWNA);
        ShowWindow(GetDlgItem(IDC_JOB_PROGRESS), SW_SHOWNA);
        SetTimer(m_hWnd, kProgressTimer, kProgressRefreshMs, nullptr);
    }
    ShowJobProgress();
}

void CKalendrixDlg::OnJobProgress(WPARAM, LPARAM)
{
    if (JobRunning() && IsWindowVisible(GetDlgItem(IDC_JOB_STATUS)))
        ShowJobProgress();
}

void CKalendrixDlg::ShowJobProgress()
{
    const WorkProgress& progress = m_job.Progress();
    const size_t done = progress.Done();
    const size_t total = progress.Total();
    const std::wstring doing = progress.CancelRequested() ? L"中止しています…" : m_jobDoing;
    SetDlgItemText(IDC_JOB_STATUS, doing + L" " + std::to_wstring(done) + L" / " + std::to_wstring(total));
    SendDlgItemMessage(IDC_JOB_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(total > 0x7FFFFFFF ? 0x7FFFFFFF : total));
    SendDlgItemMessage(IDC_JOB_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(done));
}

void CKalendrixDlg::OnCancel()
{
    if (!JobRunning()) {
        CDialog::OnCancel();
        return;
    }
    m_job.Cancel();
    if (IsWindowVisible(GetDlgItem(IDC_JOB_STATUS)))
        ShowJobProgress();
}

// The controls come back as they were, or enabled where an edit made during the job enabled
// them (Apply: the edit is still to be written).
void CKalendrixDlg::RestoreControlsAfterJob()
{
    for (const auto& control : m_enabledBeforeJob)
        EnableDlgItem(control.first, control.second || IsWindowEnabled(GetDlgItem(control.first)));
    m_enabledBeforeJob.clear();
    if (m_focusBeforeJob != nullptr && IsWindowEnabled(m_focusBeforeJob) && GetFocus() == GetDlgItem(IDCANCEL))
        SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_focusBeforeJob), TRUE);
    m_focusBeforeJob = nullptr;
}

void CKalendrixDlg::OnJobEnded(WPARAM, LPARAM)
{
    if (!JobRunning())
        return;
    std::shared_ptr<ApplyJob> apply = std::move(m_applyJob);
    std::shared_ptr<UndoJob> undo = std::move(m_undoJob);
    // Apply as the job left it: disabled, or enabled by an edit made meanwhile.
    const bool editedDuringJob = IsWindowEnabled(GetDlgItem(IDC_APPLY)) != FALSE;
    KillTimer(m_hWnd, kProgressTimer);
    ShowWindow(GetDlgItem(IDC_JOB_STATUS), SW_HIDE);
    ShowWindow(GetDlgItem(IDC_JOB_PROGRESS), SW_HIDE);
    try {
        m_job.Finish(); // raises what the work raised
    } catch (...) {
        RestoreControlsAfterJob();
        throw;
    }
    UpdateUndoEntry();
    // The end is taken before the controls come back: whoever sees them enabled sees the
    // dialog's final state.
    bool close = false;
    if (apply)
        close = ApplyEnded(*apply, editedDuringJob);
    const bool reading = m_readingFor != ReadingFor::none;
    RestoreControlsAfterJob();
    if (close) {
        CDialog::OnOK();
        return;
    }
    // What follows may start the next job (a reading), once this one's controls are back.
    if (undo)
        UndoEnded(*undo);
    if (reading)
        ReadingEnded();
    else if (apply) {
        // The list shows the files as they now are.
        EndPreview();
        RefreshStates();
    }
}

// The window's end: the worker stops after the file at hand, so that none is left half done.
void CKalendrixDlg::OnDestroy(WPARAM, LPARAM)
{
    KillTimer(m_hWnd, kProgressTimer);
    m_job.CancelAndWait();
    Default();
}
