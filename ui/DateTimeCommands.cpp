// Commands that fill the ticked date-time rows in one step.
#include "KalendrixDlg.h"

void CKalendrixDlg::OnOriginalTime()
{
}

void CKalendrixDlg::OnCurrentTime()
{
}

void CKalendrixDlg::OnClearTime()
{
}

void CKalendrixDlg::OnSameAsCreation()
{
}
