#include "DateTakenJob.h"

#include "../model/FileDateTaken.h"
#include "KalendrixDlg.h"

void DateTakenJob::Work(WorkProgress& progress)
{
    progress.Begin(m_paths.size());
    m_dates.reserve(m_paths.size());
    for (const std::wstring& path : m_paths) {
        if (progress.CancelRequested())
            break;
        m_dates.push_back(StampOfSourceDate(ReadDateTaken(path)));
        progress.ItemDone();
    }
}

void DateTakenJob::End()
{
    m_dialog.DatesTakenRead(*this);
}
