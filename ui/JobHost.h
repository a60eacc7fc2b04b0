// The main dialog's side of long work: starts one job at a time on the worker, disables the
// controls that could start other work meanwhile, shows the progress once the job has run
// a third of a second, cancels it, and at the end hands over to the job's own End.
#pragma once

#include "../framework/WorkerThread.h"
#include "DialogJob.h"

#include <windows.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class JobHost {
public:
    // The worker posts `progressMessage` and `endMessage` to the dialog; the dialog passes
    // them on to OnProgress and OnEnded.
    JobHost(UINT progressMessage, UINT endMessage);
    void Attach(HWND dialog) { m_dialog = dialog; }

    // From Start until the end message was taken.
    bool Running() const { return m_worker.Running(); }
    // Raises when a job runs already or no thread can start.
    void Start(std::unique_ptr<DialogJob> job);
    // Asks the job to stop after the item at hand; its end comes as usual.
    void Cancel();
    void OnProgress();
    // True when `id` was the progress timer.
    bool OnTimer(WPARAM id);
    // The progress goes, the controls come back, the job's End runs. Raises what the work
    // raised, with the controls back. An end message of a job that has not ended (one lost
    // before, then taken by the timer) is passed over.
    void OnEnded();
    // Within a job's TakeResult and End: whether something done during the job enabled
    // control `id` again (an edit enables Apply: the edit is still to be written).
    bool EnabledDuringJob(int id) const;
    // Within a job's TakeResult: control `id` comes back enabled or not, whatever it was.
    void ComeBackAs(int id, bool enabled);
    // At the window's end: the worker stops after the item at hand and is waited for.
    void CancelAndWait();

    // For tests: called on the worker after each item.
    WorkerThread& Worker() { return m_worker; }

private:
    void ShowProgress();
    void HideProgress();
    void NoteEnabledDuring();
    void RestoreControls();

    HWND m_dialog = nullptr;
    UINT m_endMessage;
    std::wstring m_doing;
    // The controls the job disabled with their state before it, those an action during the
    // job enabled, and the control that had the focus.
    std::vector<std::pair<int, bool>> m_enabledBefore;
    std::vector<int> m_enabledDuring;
    HWND m_focusBefore = nullptr;
    std::unique_ptr<DialogJob> m_job;
    // Last, so that it is destroyed first: a job still running is cancelled and waited for
    // while the job it works for is still there.
    WorkerThread m_worker;
};
