// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

#include "../model/NameParts.h"

void CKalendrixDlg::OnApply()
{
    ApplyChanges(m_fileOperate.GetRecord(0));
    EnableDlgItem(IDC_APPLY, false);
}

void CKalendrixDlg::OnOK()
{
    if (m_fileOperate.GetCount() <= 0)
        return;
    ApplyChanges(m_fileOperate.GetRecord(0));
    CDialog::OnOK();
}

void CKalendrixDlg::ApplyChanges(FileRecord base)
{
    if (m_fileOperate.GetCount() < 1)
        return;
    if (m_fileOperate.GetCount() == 1)
        m_fileOperate.Rename(BuildNewName());

    TimeValue* const times[kTimeRowCount] = {&base.createTime, &base.writeTime, &base.accessTime};
    for (int row = 0; row < kTimeRowCount; ++row) {
        bool on = IsDlgButtonChecked(kTimeRows[row].switchId) == BST_CHECKED;
        *times[row] = on ? ReadTimeRow(static_cast<TimeRow>(row)) : 0;
    }

    // Boxes that show the first file's own flags leave every file's flags alone.
    BYTE bits = GetAttributeBits();
    bool writeAttributes = bits != base.attribute;
    if (writeAttributes)
        base.attribute = bits;

    m_fileOperate.WriteRecord(base, writeAttributes);
    m_fileOperate.ReportFailures();
}

std::wstring CKalendrixDlg::BuildNewName()
{
    std::wstring name = GetDlgItemText(IDC_NAME);
    std::wstring extension = GetDlgItemText(IDC_EXTENSION);
    return JoinPath(m_fileOperate.GetFolder(), name, extension);
}

BYTE CKalendrixDlg::GetAttributeBits()
{
    BYTE bits = 0;
    for (const AttributeBox& box : kAttributeBoxes) {
        if (IsDlgButtonChecked(box.id) != BST_UNCHECKED)
            bits |= box.bit;
    }
    return bits;
}
