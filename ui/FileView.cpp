// Showing the chosen files and one file's state.
#include "KalendrixDlg.h"

void CKalendrixDlg::UpdateFileView()
{
}

void CKalendrixDlg::ShowRecord(int)
{
}

void CKalendrixDlg::ShowAttributes(BYTE)
{
}

void CKalendrixDlg::DrawFileIcon()
{
}

void CKalendrixDlg::OnListClick(NMHDR*, LRESULT* result)
{
    *result = 0;
}

void CKalendrixDlg::OnListItemChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
}
