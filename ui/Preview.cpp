// What Apply would do, shown in the list before it is done: every stamp and flag it would
// change, beside what the file holds now.
#include "KalendrixDlg.h"

void CKalendrixDlg::UpdatePreview()
{
    // While files are read, their states are not yet those an apply would start from.
    if (m_fileOperate.GetCount() == 0 || m_readingFor != ReadingFor::none)
        return;
    // Reads the rows and the first file alone: the list works out the cells it draws.
    m_fileList.ShowPreview(m_fileOperate.GetFileSet(), ReadRequest(m_fileOperate.GetRecord(0), true));
}

void CKalendrixDlg::EndPreview()
{
    m_fileList.EndPreview();
}
