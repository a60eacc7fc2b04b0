// What Apply would do, shown in the list before it is done: every stamp and flag it would
// change, beside what the file holds now.
#include "KalendrixDlg.h"

bool CKalendrixDlg::PreviewPossible() const
{
    // While files are read, their states are not yet those an apply would start from.
    return m_fileOperate.GetCount() > 0 && !m_readingRuns && !m_datesTakenRun;
}

void CKalendrixDlg::UpdatePreview()
{
    if (PreviewPossible())
        UpdatePreview(m_fileOperate.GetRecord(0));
}

void CKalendrixDlg::UpdatePreview(const FileRecord& first)
{
    if (!PreviewPossible())
        return;
    // Reads the rows and the first file alone: the list works out the cells it draws.
    m_fileList.ShowPreview(m_fileOperate.GetFileSet(), ReadRequest(first, true));
    UpdateCounts();
}

void CKalendrixDlg::EndPreview()
{
    m_fileList.EndPreview();
    UpdateCounts();
}
