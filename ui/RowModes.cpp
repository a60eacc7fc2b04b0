// The two meanings of the time rows: the times every file takes ("日時を指定"), or offsets
// that move each file's own times ("ずらす"). Every start, and every new choice of files,
// is in the first: no old offset is applied by surprise.
#include "KalendrixDlg.h"

#include "../datetime/FieldRules.h"
#include "../framework/Exceptions.h"

namespace {

// Offsets the spins step through, both ends included; a field takes more when typed.
constexpr SpinRange kOffsetSpinRanges[kTimeFieldCount] = {{-100, 100}, {-12, 12}, {-366, 366},
                                                          {-24, 24},   {-60, 60}, {-60, 60}};
// Commands that only a time to set makes sense of.
const int kSetOnlyCommands[] = {IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION};

} // namespace

void CKalendrixDlg::OnModeSet()
{
    ChangeRowMode(ChangeMode::set);
}

void CKalendrixDlg::OnModeShift()
{
    ChangeRowMode(ChangeMode::shift);
}

void CKalendrixDlg::ShowRowMode()
{
    const bool shift = m_mode == ChangeMode::shift;
    CheckRadioButton(m_hWnd, IDC_MODE_SET, IDC_MODE_SHIFT, shift ? IDC_MODE_SHIFT : IDC_MODE_SET);
    // Times take digits only; an offset also its minus sign, which ES_NUMBER would refuse.
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            HWND edit = GetDlgItem(id);
            const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
            SetWindowLongPtrW(edit, GWL_STYLE, shift ? (style & ~ES_NUMBER) : (style | ES_NUMBER));
        }
    }
    SetSpinRanges();
    for (int id : kSetOnlyCommands)
        EnableDlgItem(id, !shift && m_fileOperate.GetCount() > 0);
}

void CKalendrixDlg::ChangeRowMode(ChangeMode mode)
{
    if (mode == m_mode || m_fileOperate.GetCount() == 0)
        return;
    m_mode = mode;
    ShowRowMode();
    // The rows start afresh in their new meaning: nothing in them is the user's yet.
    for (int row = 0; row < kTimeRowCount; ++row)
        m_touched[row] = false;
    m_refreshing = true;
    if (mode == ChangeMode::shift) {
        ProgramWrites writing(m_programWrites);
        for (const TimeRowControls& row : kTimeRows) {
            for (int id : row.edits)
                SetDlgItemText(id, L"0");
        }
    } else {
        ShowStamps(m_fileOperate.GetRecord(m_shownIndex >= 0 ? m_shownIndex : 0));
    }
    m_refreshing = false;
    UpdatePreview();
}

// Keeps what an offset field may hold, and counts the field as the user's.
void CKalendrixDlg::OffsetFieldChanged(int id)
{
    const std::wstring text = GetDlgItemText(id);
    const std::wstring kept = OffsetFieldText(text);
    if (kept != text) {
        ReplaceFieldText(id, kept); // runs this handler again for the kept text
        return;
    }
    if (m_programWrites == 0)
        EnableDlgItem(IDC_APPLY, true);
}

TimeOffset CKalendrixDlg::ReadOffsetRow(TimeRow row) const
{
    int values[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field)
        values[field] = OffsetFieldValue(GetDlgItemText(kTimeRows[row].edits[field]));
    TimeOffset offset;
    offset.years = values[kYear];
    offset.months = values[kMonth];
    offset.days = values[kDay];
    offset.hours = values[kHour];
    offset.minutes = values[kMinute];
    offset.seconds = values[kSecond];
    return offset;
}

void CKalendrixDlg::SetSpinRanges()
{
    const SpinRange* ranges = m_mode == ChangeMode::shift ? kOffsetSpinRanges : kSpinRanges;
    for (const TimeRowControls& row : kTimeRows) {
        for (int field = 0; field < kTimeFieldCount; ++field)
            SendDlgItemMessage(row.spins[field], UDM_SETRANGE32, static_cast<WPARAM>(ranges[field].lower),
                               ranges[field].upper);
    }
}
