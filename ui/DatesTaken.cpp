// "ファイルから": the mode, the sources the rows choose, and the dates taken the mode reads
// of every file as a job.
#include "KalendrixDlg.h"

#include "DateTakenJob.h"

void CKalendrixDlg::OnModeSource()
{
    m_timeRows.OnModeChosen(ChangeMode::fromSource);
    ReadDatesTakenIfNeeded();
}

void CKalendrixDlg::OnSourceChosen(UINT id)
{
    m_timeRows.OnSourceChosen(static_cast<int>(id));
    ReadDatesTakenIfNeeded();
}

void CKalendrixDlg::ReadDatesTakenIfNeeded()
{
    if (!m_timeRows.TakesDateTaken() || JobRunning())
        return;
    FileSet& files = m_fileOperate.GetFileSet();
    std::vector<size_t> unread;
    std::vector<std::wstring> paths;
    for (size_t index = 0; index < files.Count(); ++index) {
        const FileItem& item = files.Item(index);
        if (item.takenRead)
            continue;
        if (item.IsFolder()) {
            files.SetDateTaken(index, SourceStamp());
            continue;
        }
        unread.push_back(index);
        paths.push_back(item.path);
    }
    if (unread.empty())
        return;
    // The preview waits for the dates: until then it would name them as not read.
    m_datesTakenRun = true;
    EndPreview();
    StartJob(std::unique_ptr<DialogJob>(new DateTakenJob(*this, std::move(unread), std::move(paths))));
}

void CKalendrixDlg::DatesTakenRead(DateTakenJob& job)
{
    m_datesTakenRun = false;
    FileSet& files = m_fileOperate.GetFileSet();
    for (size_t done = 0; done < job.Dates().size(); ++done) {
        const size_t index = job.Files()[done];
        if (index < files.Count() && files.Path(index) == job.Paths()[done])
            files.SetDateTaken(index, job.Dates()[done]);
    }
    m_fileList.StatesChanged();
    UpdatePreview();
}
