// The three meanings of the time rows: the times every file takes ("日時を指定"), offsets
// that move each file's own times ("ずらす"), or where each file's own time comes from
// ("ファイルから": a list a row in place of its fields). Every start, and every new choice
// of files, is in the first: no old offset or source is applied by surprise.
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


const struct {
    int id;
    ChangeMode mode;
} kModeButtons[] = {{IDC_MODE_SET, ChangeMode::set}, {IDC_MODE_SHIFT, ChangeMode::shift},
                    {IDC_MODE_SOURCE, ChangeMode::fromSource}};

// The labels of the fields' units ("年" … "秒"): the rows' statics, found by their texts.
bool IsUnitLabel(HWND control)
{
    wchar_t className[16] = L"";
    GetClassNameW(control, className, 16);
    if (_wcsicmp(className, L"Static") != 0)
        return false;
    wchar_t text[4] = L"";
    GetWindowTextW(control, text, 4);
    return wcslen(text) == 1 && wcschr(L"年月日時分秒", text[0]) != nullptr;
}

} // namespace

void TimeRows::FillSourceLists()
{
    for (const TimeRowControls& row : kTimeRows) {
        HWND list = Control(row.sourceList);
        if (SendMessageW(list, CB_GETCOUNT, 0, 0) > 0)
            continue;
        // What a row's list offers, in the order of StampSource.
        for (const wchar_t* name : kStampSourceNames)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(StampSource::dateTaken), 0);
    }
}

StampSource TimeRows::Source(TimeRow row) const
{
    const LRESULT chosen = SendMessageW(Control(kTimeRows[row].sourceList), CB_GETCURSEL, 0, 0);
    return chosen >= 0 && chosen < kStampSourceCount ? static_cast<StampSource>(chosen) : StampSource::dateTaken;
}

bool TimeRows::TakesDateTaken() const
{
    if (m_mode != ChangeMode::fromSource)
        return false;
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (Source(static_cast<TimeRow>(row)) == StampSource::dateTaken)
            return true;
    }
    return false;
}

void TimeRows::ShowMode()
{
    const bool shift = m_mode == ChangeMode::shift;
    const bool fromSource = m_mode == ChangeMode::fromSource;
    // Each button set or cleared by itself: their ids are no range.
    for (const auto& button : kModeButtons)
        Check(button.id, button.mode == m_mode);
    // Times take digits only; an offset also its minus sign, which ES_NUMBER would refuse.
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            HWND edit = Control(id);
            const LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
            SetWindowLongPtrW(edit, GWL_STYLE, shift ? (style & ~ES_NUMBER) : (style | ES_NUMBER));
        }
    }
    // "ファイルから" shows a list in place of each row's fields, spins and units.
    FillSourceLists();
    for (int index = 0; index < kTimeRowCount; ++index) {
        const TimeRowControls& row = kTimeRows[index];
        for (int field = 0; field < kTimeFieldCount; ++field) {
            ShowWindow(Control(row.edits[field]), fromSource ? SW_HIDE : SW_SHOW);
            ShowWindow(Control(row.spins[field]), fromSource ? SW_HIDE : SW_SHOW);
        }
        Enable(row.sourceList, fromSource && Ticked(static_cast<TimeRow>(index)));
        ShowWindow(Control(row.sourceList), fromSource ? SW_SHOW : SW_HIDE);
    }
    for (HWND child = GetWindow(m_dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsUnitLabel(child))
            ShowWindow(child, fromSource ? SW_HIDE : SW_SHOW);
    }
    SetSpinRanges();
    const bool files = Owner().FileCount() > 0;
    for (int id : kSetOnlyCommands)
        Enable(id, m_mode == ChangeMode::set && files);
    Enable(IDC_ORIGINAL_TIME, !fromSource && files);
}

void TimeRows::OnModeChosen(ChangeMode mode)
{
    if (mode == m_mode || Owner().FileCount() == 0)
        return;
    m_mode = mode;
    ShowMode();
    // The rows start afresh in their new meaning: nothing in them is the user's yet. In
    // "ファイルから" each list shows a source already: choosing the mode is acting on every
    // ticked row.
    for (int row = 0; row < kTimeRowCount; ++row)
        m_touched[row] = mode == ChangeMode::fromSource;
    if (mode == ChangeMode::fromSource) {
        bool ticked = false;
        for (int row = 0; row < kTimeRowCount; ++row)
            ticked = ticked || Ticked(static_cast<TimeRow>(row));
        Owner().PartEdited(ticked);
        return;
    }
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

void TimeRows::OnSourceChosen(int id)
{
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (kTimeRows[row].sourceList != id)
            continue;
        m_touched[row] = true;
        Owner().PartEdited(Ticked(static_cast<TimeRow>(row)));
    }
}
