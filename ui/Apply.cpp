// Writing the edited state to the chosen files.
#include "KalendrixDlg.h"

#include "../framework/Exceptions.h"
#include "../model/NameParts.h"
#include "../model/NewNameRules.h"

#include <cwchar>

void CKalendrixDlg::OnApply()
{
    if (ApplyChanges(m_fileOperate.GetRecord(0)))
        EnableDlgItem(IDC_APPLY, false);
}

void CKalendrixDlg::OnOK()
{
    if (m_fileOperate.GetCount() <= 0)
        return;
    // Apply is enabled exactly when the user changed something: a plain OK writes nothing.
    if (IsWindowEnabled(GetDlgItem(IDC_APPLY)) && !ApplyChanges(m_fileOperate.GetRecord(0)))
        return;
    CDialog::OnOK();
}

bool CKalendrixDlg::ApplyChanges(FileRecord base)
{
    if (m_fileOperate.GetCount() < 1)
        return true;

    // Everything the user entered is checked before anything changes: a refused row or
    // name raises its error here, before the rename and before any file is written.
    std::wstring newPath;
    if (m_fileOperate.GetCount() == 1) {
        newPath = BuildNewName();
        if (_wcsicmp(newPath.c_str(), m_fileOperate.GetFirstPath().c_str()) == 0) {
            newPath.clear();
        } else {
            std::wstring problem = NewNameProblem(GetDlgItemText(IDC_NAME), GetDlgItemText(IDC_EXTENSION));
            if (problem.empty() && newPath.size() >= MAX_PATH)
                problem = L"新しいパスが長すぎます（259文字まで）。";
            if (!problem.empty())
                throw CMessageException(L"新しい名前「" + FileNameOfPath(newPath) + L"」は使えません。" + problem +
                                        L"\r\nファイルは何も変更されていません。");
        }
    }

    TimeValue* const times[kTimeRowCount] = {&base.createTime, &base.writeTime, &base.accessTime};
    const StampBit stamps[kTimeRowCount] = {kCreationStamp, kWriteStamp, kAccessStamp};
    base.stampsToWrite = 0;
    for (int index = 0; index < kTimeRowCount; ++index) {
        const TimeRow row = static_cast<TimeRow>(index);
        *times[row] = 0;
        if (IsDlgButtonChecked(kTimeRows[row].switchId) != BST_CHECKED)
            continue;
        if (RowShowsStamp(row, base)) {
            // An untouched row stands for the first file's own stamp, not for what its
            // local fields would build (the repeated hour of autumn builds another second);
            // where the file has no stamp to show, there is nothing to write.
            if (!StoredStampOf(row, base, times[row]))
                continue;
        } else {
            *times[row] = ReadTimeRow(row, base);
        }
        base.stampsToWrite |= stamps[row];
    }

    // A switched-off attribute group protects every file's flags; boxes that show the
    // first file's own flags leave them alone as well.
    BYTE bits = GetAttributeBits();
    bool writeAttributes = IsDlgButtonChecked(IDC_SWITCH_ATTRIBUTE) == BST_CHECKED && bits != base.attribute;
    if (writeAttributes)
        base.attribute = bits;

    const std::wstring firstPath = m_fileOperate.GetFirstPath();
    m_fileOperate.WriteRecord(base, writeAttributes, newPath);
    if (m_fileOperate.GetFirstPath() != firstPath) {
        FirstFileChanged();
        ShowFileProperties(m_fileOperate.GetRecord(0));
    }
    UpdateUndoEntry();
    m_fileOperate.ReportFailures();
    return true;
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
