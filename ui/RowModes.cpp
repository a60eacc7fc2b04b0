// The two meanings of the time rows: the times every file takes ("日時を指定"), or offsets
// that move each file's own times ("ずらす"). Every start, and every new choice of files,
// is in the first: no old offset is applied by surprise.
#include "TimeRows.h"

#include "../datetime/FieldRules.h"
#include "../framework/Exceptions.h"

#include <commctrl.h>

namespace {

// Offsets the spins step through, both ends included; a field takes more when typed.
constexpr SpinRange kOffsetSpinRanges[kTimeFieldCount] = {{-100, 100}, {-12, 12}, {-366, 366},
                                                          {-24, 24},   {-60, 60}, {-60, 60}};
// Commands that only a time to set makes sense of.
const int kSetOnlyCommands[] = {IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION};

} // namespace

void TimeRows::ShowMode()
{
    const bool shift = m_mode == ChangeMode::shift;
    CheckRadioButton(m_dialog, IDC_MODE_SET, IDC_MODE_SHIFT, shift ? IDC_MODE_SHIFT : IDC_MODE_SET);
    // Times take digits only; an offset also its minus sign, which ES_NUMBER would refuse.
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            HWND edit = Control(id);
            const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
            SetWindowLongPtrW(edit, GWL_STYLE, shift ? (style & ~ES_NUMBER) : (style | ES_NUMBER));
        }
    }
    SetSpinRanges();
    for (int id : kSetOnlyCommands)
        Enable(id, !shift && Owner().FileCount() > 0);
}

void TimeRows::OnModeChosen(ChangeMode mode)
{
    if (mode == m_mode || Owner().FileCount() == 0)
        return;
    m_mode = mode;
    ShowMode();
    // The rows start afresh in their new meaning: nothing in them is the user's yet.
    for (int row = 0; row < kTimeRowCount; ++row)
        m_touched[row] = false;
    m_showing = true;
    if (mode == ChangeMode::shift) {
        ProgramWrites writing(m_programWrites);
        for (const TimeRowControls& row : kTimeRows) {
            for (int id : row.edits)
                SetText(id, L"0");
        }
    } else {
        ShowStamps(Owner().ShownFileRecord());
    }
    m_showing = false;
    Owner().PartEdited(false);
}

// Keeps what an offset field may hold, and counts the field as the user's.
void TimeRows::OffsetFieldChanged(int id)
{
    const std::wstring text = Text(id);
    const std::wstring kept = OffsetFieldText(text);
    if (kept != text) {
        ReplaceFieldText(id, kept); // runs this handler again for the kept text
        return;
    }
    Owner().PartEdited(m_programWrites == 0);
}

TimeOffset TimeRows::ReadOffsetRow(TimeRow row) const
{
    int values[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field)
        values[field] = OffsetFieldValue(Text(kTimeRows[row].edits[field]));
    TimeOffset offset;
    offset.years = values[kYear];
    offset.months = values[kMonth];
    offset.days = values[kDay];
    offset.hours = values[kHour];
    offset.minutes = values[kMinute];
    offset.seconds = values[kSecond];
    return offset;
}

void TimeRows::SetSpinRanges()
{
    const SpinRange* ranges = m_mode == ChangeMode::shift ? kOffsetSpinRanges : kSpinRanges;
    for (const TimeRowControls& row : kTimeRows) {
        for (int field = 0; field < kTimeFieldCount; ++field)
            SendMessageW(Control(row.spins[field]), UDM_SETRANGE32, static_cast<WPARAM>(ranges[field].lower),
                         ranges[field].upper);
    }
}
