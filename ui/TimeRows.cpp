// The three date-time rows and the checks made at every change of a field.
#include "KalendrixDlg.h"

void CKalendrixDlg::WriteTimeRow(TimeRow, TimeValue)
{
}

TimeValue CKalendrixDlg::ReadTimeRow(TimeRow)
{
    return 0;
}

void CKalendrixDlg::SetSpinRanges()
{
}

void CKalendrixDlg::OnFieldChanged(UINT)
{
}
