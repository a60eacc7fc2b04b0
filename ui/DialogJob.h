// Long work of the main dialog, run by JobHost one piece at a time on a worker thread.
//
// Who owns what while a job runs: a job is made on the window's thread from copies of what
// it works on (paths, a plan, a journal) and owns them. Its Work, on the worker, touches only
// the job's own members: never the dialog, its parts, its controls or the file set on show.
// The window's thread touches none of the job's members until End, which runs on the
// window's thread after the worker has ended. So the window stays live while a job runs
// (typing, clicking, switching modes), and what it shows is the state from before the job
// until End hands the job's result over whole.
#pragma once

#include "../framework/WorkProgress.h"

#include <string>

class DialogJob {
public:
    virtual ~DialogJob() = default;
    // What the progress says the job is doing: "適用中…".
    virtual std::wstring Doing() const = 0;
    // On the worker; a cancel is seen through `progress` between two items.
    virtual void Work(WorkProgress& progress) = 0;
    // On the window's thread once the work has ended (also after a cancel), while the
    // controls the job disabled are still disabled: takes what the work brought, so that
    // whoever sees the controls back sees the dialog's final state.
    virtual void TakeResult() {}
    // Then, with the controls back as they were: shows the end. It may start the next job.
    virtual void End() = 0;
};
