// Commands that fill the ticked date-time rows in one step.
#include "KalendrixDlg.h"

#include <time.h>

namespace {

bool IsTicked(const CKalendrixDlg& dialog, TimeRow row)
{
    return dialog.IsDlgButtonChecked(kTimeRows[row].switchId) == BST_CHECKED;
}

} // namespace

void CKalendrixDlg::TouchTickedRows(std::initializer_list<TimeRow> rows)
{
    for (TimeRow row : rows) {
        if (IsTicked(*this, row))
            m_touched[row] = true;
    }
}

void CKalendrixDlg::OnOriginalTime()
{
    const FileRecord first = m_fileOperate.GetRecord(0);
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (!IsTicked(*this, static_cast<TimeRow>(row)))
            continue;
        if (m_mode == ChangeMode::shift) {
            // Each file's own time is an offset of nothing.
            ProgramWrites writing(m_programWrites);
            for (int id : kTimeRows[row].edits)
                SetDlgItemText(id, L"0");
        } else {
            ShowStamp(static_cast<TimeRow>(row), first);
        }
    }
    TouchTickedRows({kCreationRow, kWriteRow, kAccessRow});
    EnableDlgItem(IDC_APPLY, true);
    UpdatePreview();
}

void CKalendrixDlg::OnCurrentTime()
{
    // One instant for every row, so that the rows agree to the second.
    const TimeValue now = _time64(nullptr);
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (IsTicked(*this, static_cast<TimeRow>(row)))
            WriteTimeRow(static_cast<TimeRow>(row), now);
    }
    TouchTickedRows({kCreationRow, kWriteRow, kAccessRow});
    EnableDlgItem(IDC_APPLY, true);
    UpdatePreview();
}

void CKalendrixDlg::OnClearTime()
{
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (!IsTicked(*this, static_cast<TimeRow>(row)))
            continue;
        for (int field : {kHour, kMinute, kSecond})
            SetDlgItemText(kTimeRows[row].edits[field], L"0");
    }
    TouchTickedRows({kCreationRow, kWriteRow, kAccessRow});
    EnableDlgItem(IDC_APPLY, true);
    UpdatePreview();
}

void CKalendrixDlg::OnSameAsCreation()
{
    // The creation row is copied as it stands, ticked or not, empty fields included, and
    // with the year it shows.
    ProgramWrites writing(m_programWrites);
    std::wstring texts[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field)
        texts[field] = GetDlgItemText(kTimeRows[kCreationRow].edits[field]);
    for (TimeRow row : {kWriteRow, kAccessRow}) {
        if (!IsTicked(*this, row))
            continue;
        for (int field = 0; field < kTimeFieldCount; ++field)
            SetDlgItemText(kTimeRows[row].edits[field], texts[field]);
    }
    TouchTickedRows({kWriteRow, kAccessRow});
    EnableDlgItem(IDC_APPLY, true);
    UpdatePreview();
}
