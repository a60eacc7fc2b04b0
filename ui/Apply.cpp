// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

void CKalendrixDlg::OnApply()
{
}

void CKalendrixDlg::OnOK()
{
}

void CKalendrixDlg::ApplyChanges(FileRecord)
{
}

std::wstring CKalendrixDlg::BuildNewName()
{
    return std::wstring();
}

BYTE CKalendrixDlg::GetAttributeBits()
{
    return 0;
}
