#include "JobHost.h"

#include "../res/resource.h"

#include <algorithm>
#include <commctrl.h>

namespace {

// The controls that could start a second piece of work while one runs. The modes too: a
// change of mode would enable or disable commands the job holds.
const int kStartingWork[] = {IDOK, IDC_APPLY, IDC_BROWSE, IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME,
                             IDC_SAME_AS_CREATION, IDC_MODE_SET, IDC_MODE_SHIFT, IDC_MODE_SOURCE,
                             IDC_CREATE_SOURCE, IDC_WRITE_SOURCE, IDC_ACCESS_SOURCE, IDC_FOLDER_CONTENTS,
                             IDC_BROWSE_FOLDER};

// Work shorter than this ends before its progress is shown.
const UINT kProgressDelayMs = 333;
// Once shown, the progress is also read this often: the worker posts only as items end, and
// a slow item would leave the count shown before the last items that ended quickly.
const UINT kProgressRefreshMs = 250;
const UINT_PTR kProgressTimer = 0x21;

} // namespace

JobHost::JobHost(UINT progressMessage, UINT endMessage) : m_endMessage(endMessage), m_worker(progressMessage, endMessage)
{
}

void JobHost::Start(std::unique_ptr<DialogJob> job)
{
    DialogJob* work = job.get();
    m_worker.Start(m_dialog, [work](WorkProgress& progress) { work->Work(progress); });
    m_job = std::move(job);
    m_doing = m_job->Doing();
    // Before the dialog is shown (a reading at start) nothing has the focus yet: it goes to
    // OK as the dialog manager would give it, once OK is back.
    HWND focus = GetFocus();
    m_focusBefore = focus != nullptr ? focus : GetDlgItem(m_dialog, IDOK);
    m_enabledBefore.clear();
    for (int id : kStartingWork) {
        HWND control = GetDlgItem(m_dialog, id);
        m_enabledBefore.push_back({id, IsWindowEnabled(control) != FALSE});
        if (GetFocus() == control)
            SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_dialog, IDCANCEL)), TRUE);
        EnableWindow(control, FALSE);
    }
    SetTimer(m_dialog, kProgressTimer, kProgressDelayMs, nullptr);
}

bool JobHost::OnTimer(WPARAM id)
{
    if (id != kProgressTimer)
        return false;
    if (!Running()) {
        KillTimer(m_dialog, kProgressTimer);
        return true;
    }
    // The worker's end message may have been lost (its post failed): the end is taken here.
    if (m_worker.Ended()) {
        SendMessageW(m_dialog, m_endMessage, 0, 0);
        return true;
    }
    if (!IsWindowVisible(GetDlgItem(m_dialog, IDC_JOB_STATUS))) {
        ShowWindow(GetDlgItem(m_dialog, IDC_JOB_STATUS), SW_SHOWNA);
        ShowWindow(GetDlgItem(m_dialog, IDC_JOB_PROGRESS), SW_SHOWNA);
        SetTimer(m_dialog, kProgressTimer, kProgressRefreshMs, nullptr);
    }
    ShowProgress();
    return true;
}

void JobHost::OnProgress()
{
    if (Running() && IsWindowVisible(GetDlgItem(m_dialog, IDC_JOB_STATUS)))
        ShowProgress();
}

void JobHost::ShowProgress()
{
    const WorkProgress& progress = m_worker.Progress();
    const size_t done = progress.Done();
    const size_t total = progress.Total();
    const std::wstring doing = progress.CancelRequested() ? L"中止しています…" : m_doing;
    SetDlgItemTextW(m_dialog, IDC_JOB_STATUS,
                    (doing + L" " + std::to_wstring(done) + L" / " + std::to_wstring(total)).c_str());
    SendDlgItemMessageW(m_dialog, IDC_JOB_PROGRESS, PBM_SETRANGE32, 0,
                        static_cast<LPARAM>(std::min<size_t>(total, 0x7FFFFFFF)));
    SendDlgItemMessageW(m_dialog, IDC_JOB_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

// The progress of an ended job says nothing more: its text goes with it.
void JobHost::HideProgress()
{
    KillTimer(m_dialog, kProgressTimer);
    ShowWindow(GetDlgItem(m_dialog, IDC_JOB_STATUS), SW_HIDE);
    ShowWindow(GetDlgItem(m_dialog, IDC_JOB_PROGRESS), SW_HIDE);
    SetDlgItemTextW(m_dialog, IDC_JOB_STATUS, L"");
    SendDlgItemMessageW(m_dialog, IDC_JOB_PROGRESS, PBM_SETPOS, 0, 0);
}

void JobHost::Cancel()
{
    if (!Running())
        return;
    m_worker.Cancel();
    if (IsWindowVisible(GetDlgItem(m_dialog, IDC_JOB_STATUS)))
        ShowProgress();
}

void JobHost::NoteEnabledDuring()
{
    m_enabledDuring.clear();
    for (const auto& control : m_enabledBefore) {
        if (IsWindowEnabled(GetDlgItem(m_dialog, control.first)))
            m_enabledDuring.push_back(control.first);
    }
}

void JobHost::ComeBackAs(int id, bool enabled)
{
    for (auto& control : m_enabledBefore) {
        if (control.first == id)
            control.second = enabled;
    }
    EnableWindow(GetDlgItem(m_dialog, id), FALSE);
}

// The controls come back as they were, or enabled where something done during the job
// enabled them.
void JobHost::RestoreControls()
{
    for (const auto& control : m_enabledBefore) {
        HWND item = GetDlgItem(m_dialog, control.first);
        EnableWindow(item, control.second || IsWindowEnabled(item));
    }
    m_enabledBefore.clear();
    if (m_focusBefore != nullptr && IsWindowEnabled(m_focusBefore) && GetFocus() == GetDlgItem(m_dialog, IDCANCEL))
        SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_focusBefore), TRUE);
    m_focusBefore = nullptr;
}

bool JobHost::EnabledDuringJob(int id) const
{
    return std::find(m_enabledDuring.begin(), m_enabledDuring.end(), id) != m_enabledDuring.end();
}

void JobHost::OnEnded()
{
    if (!Running() || !m_worker.Ended())
        return;
    HideProgress();
    std::unique_ptr<DialogJob> job = std::move(m_job);
    try {
        m_worker.Finish(); // raises what the work raised
    } catch (...) {
        RestoreControls();
        throw;
    }
    NoteEnabledDuring();
    try {
        job->TakeResult();
    } catch (...) {
        RestoreControls();
        throw;
    }
    RestoreControls();
    job->End();
    m_enabledDuring.clear();
}

void JobHost::CancelAndWait()
{
    KillTimer(m_dialog, kProgressTimer);
    m_worker.CancelAndWait();
    m_job.reset();
}
