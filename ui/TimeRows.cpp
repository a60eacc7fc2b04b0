// The three date-time rows and the checks made at every change of a field.
#include "TimeRows.h"

#include "../framework/Application.h"
#include "GroupSwitches.h"

#include "../datetime/FieldRules.h"
#include "../framework/Exceptions.h"

#include <algorithm>
#include <cwchar>

static_assert(static_cast<int>(FieldKind::year) == kYear && static_cast<int>(FieldKind::second) == kSecond,
              "a row's edits are listed in the order of the field kinds");

namespace {

// A row is named as its stamp.
const wchar_t* const* const kRowNames = kPlanStampNames;
const wchar_t* const kFieldNames[kTimeFieldCount] = {L"年", L"月", L"日", L"時", L"分", L"秒"};
const StampBit kRowStamps[kTimeRowCount] = {kCreationStamp, kWriteStamp, kAccessStamp};
const wchar_t* const kNothingChanged = L"ファイルは何も変更されていません。";

FieldKind KindOf(int field)
{
    return static_cast<FieldKind>(field);
}

TimeValue StampOfRow(const FileRecord& record, TimeRow row)
{
    const TimeValue stamps[kTimeRowCount] = {record.createTime, record.writeTime, record.accessTime};
    return stamps[row];
}

// Whether the record has a stamp for the row that a time value holds.
bool HasStamp(const FileRecord& record, TimeRow row)
{
    return record.found && !(record.unrepresentable & kRowStamps[row]);
}

// What a field shows for the first file's stamp; empty where it has none to show.
std::wstring StoredText(const FileRecord& record, TimeRow row, int field)
{
    if (!HasStamp(record, row))
        return std::wstring();
    return FieldText(FieldComponent(BreakDownLocal(StampOfRow(record, row)), KindOf(field)));
}

[[noreturn]] void RefuseField(TimeRow row, int field, const std::wstring& what)
{
    throw MessageError(std::wstring(kRowNames[row]) + L"の「" + kFieldNames[field] + L"」" + what + L"\r\n" +
                            kNothingChanged);
}

} // namespace

// Compares a date-time field with the first file's stamp and corrects it; true when it
// differs. The program's own display of a stamp keeps the stamp's true year: the year
// correction is for what the user types, and waits while a year is being typed.
bool TimeRows::CheckTimeField(const FileRecord& first, TimeRow row, int field)
{
    const int* edits = kTimeRows[row].edits;
    std::wstring text = Text(edits[field]);
    std::wstring stripped;
    if (StripLeadingZeros(text, &stripped)) {
        // Runs this handler again for the stripped text before going on with it here.
        ReplaceFieldText(edits[field], stripped);
        text = stripped;
    }

    bool changed = _wcsicmp(text.c_str(), StoredText(first, row, field).c_str()) != 0;

    // An emptied field stays empty, so that the apply names it instead of writing a value
    // the user never gave.
    if (text.empty())
        return changed;

    // Typing 2, 0, 2, 4 passes through 2, 20 and 202, which are no years yet.
    const bool yearBeingTyped = KindOf(field) == FieldKind::year && m_programWrites == 0 && text.size() < 4 &&
                                ::GetFocus() == Control(edits[field]);
    if (yearBeingTyped)
        return changed;

    int value = FieldValue(text);
    int corrected = value;
    if (m_programWrites == 0 && CorrectFieldValue(KindOf(field), value, &corrected))
        ReplaceFieldText(edits[field], FieldText(corrected));

    if (LimitsDay(KindOf(field))) {
        // The changed field counts with its text before correction, the others as they stand now.
        auto valueOf = [&](int f) { return f == field ? value : FieldValue(Text(edits[f])); };
        int days = DaysInMonth(valueOf(kYear), valueOf(kMonth));
        if (days < valueOf(kDay))
            ReplaceFieldText(edits[kDay], FieldText(days));
    }
    return changed;
}

// Writes a corrected text; in the field the user is typing in, the caret stays where it was.
void TimeRows::ReplaceFieldText(int id, const std::wstring& text)
{
    HWND edit = Control(id);
    if (::GetFocus() != edit) {
        SetText(id, text);
        return;
    }
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SetText(id, text);
    const DWORD length = static_cast<DWORD>(text.size());
    SendMessageW(edit, EM_SETSEL, std::min(start, length), std::min(end, length));
}

// A year left with fewer than four digits is corrected as a year typed in full would be;
// an empty one stays empty. An offset of years is no year.
void TimeRows::OnFieldLeft(int id)
{
    TimeRow row;
    TimeField field;
    if (!FindTimeField(id, &row, &field) || field != kYear || m_mode == ChangeMode::shift)
        return;
    if (Owner().FirstFileRecord().fullPath.empty())
        return;
    const std::wstring text = Text(id);
    int corrected = 0;
    if (!text.empty() && CorrectFieldValue(FieldKind::year, FieldValue(text), &corrected))
        SetText(id, FieldText(corrected));
}

void TimeRows::WriteRow(TimeRow row, TimeValue value)
{
    ProgramWrites writing(m_programWrites);
    const LocalFields fields = BreakDownLocal(value);
    // A value the runtime cannot break down leaves the row empty rather than show a false date.
    const bool shown = fields.year != kUnrepresentableFields.year;
    for (int field = 0; field < kTimeFieldCount; ++field)
        SetText(kTimeRows[row].edits[field], shown ? FieldText(FieldComponent(fields, KindOf(field))) : L"");
}

void TimeRows::ShowStamp(TimeRow row, const FileRecord& record)
{
    if (HasStamp(record, row)) {
        WriteRow(row, StampOfRow(record, row));
        return;
    }
    ProgramWrites writing(m_programWrites);
    for (int id : kTimeRows[row].edits)
        SetText(id, L"");
}

void TimeRows::ShowStamps(const FileRecord& record)
{
    for (int row = 0; row < kTimeRowCount; ++row)
        ShowStamp(static_cast<TimeRow>(row), record);
}

bool TimeRows::RowShowsStamp(TimeRow row, const FileRecord& first) const
{
    for (int field = 0; field < kTimeFieldCount; ++field) {
        if (_wcsicmp(Text(kTimeRows[row].edits[field]).c_str(), StoredText(first, row, field).c_str()) != 0)
            return false;
    }
    return true;
}

TimeValue TimeRows::ReadTimeRow(TimeRow row) const
{
    int values[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field) {
        // An empty field is refused: no value of another file stands in for it.
        const std::wstring text = Text(kTimeRows[row].edits[field]);
        if (text.empty())
            RefuseField(row, field, L"が空です。日時をすべて入れてください。");
        if (!IsFieldNumber(text))
            RefuseField(row, field, L"の「" + text + L"」は数字ではありません。");
        values[field] = FieldValue(text);
    }

    for (int field = 0; field < kTimeFieldCount; ++field) {
        const FieldRange range = WritableRange(KindOf(field), values[kYear], values[kMonth]);
        if (values[field] < range.lower || values[field] > range.upper)
            RefuseField(row, field, L"に " + FieldText(values[field]) + L" は入れられません（" + FieldText(range.lower) +
                                        L"～" + FieldText(range.upper) + L"）。");
    }

    const LocalFields fields = {values[kYear], values[kMonth],  values[kDay],
                                values[kHour], values[kMinute], values[kSecond]};
    TimeValue value = 0;
    if (!BuildFromLocal(fields, &value)) {
        wchar_t shown[64];
        swprintf(shown, 64, L"%d年%d月%d日 %d:%02d:%02d", fields.year, fields.month, fields.day, fields.hour,
                 fields.minute, fields.second);
        if (IsSkippedLocalTime(fields))
            throw MessageError(std::wstring(kRowNames[row]) + L"の " + shown +
                                    L" は、夏時間の始まりで時計が進められるため、存在しない時刻です。\r\n" + kNothingChanged);
        throw MessageError(std::wstring(kRowNames[row]) + L"の " + shown +
                                L" は、ファイルに記録できる範囲（1970年1月1日 0時 UTC から 3000年12月31日まで）の外です。\r\n" +
                                kNothingChanged);
    }
    return value;
}

void TimeRows::OnFieldChanged(int id)
{
    if (m_showing)
        return;
    TimeRow row;
    TimeField field;
    if (!FindTimeField(id, &row, &field))
        return;
    // What the user typed or spun is written; the part's own writes of stamps are not the
    // user's.
    if (m_programWrites == 0)
        m_touched[row] = true;
    if (m_mode == ChangeMode::shift) {
        OffsetFieldChanged(id);
        return;
    }
    // The user's own edits compare with the file as it is on disk now.
    const FileRecord first = Owner().FirstFileRecord();
    if (first.fullPath.empty())
        return;
    const bool changed = CheckTimeField(first, row, field);
    Owner().PartEdited(changed, &first);
}

void TimeRows::AddToRequest(ChangeRequest& request, const FileRecord& first, bool leaveOutRefusedRows) const
{
    request.mode = m_mode;
    // Only the rows the user acted on since the files were shown are written, each with
    // what it shows now.
    for (int index = 0; index < kTimeRowCount; ++index) {
        const TimeRow row = static_cast<TimeRow>(index);
        if (!Ticked(row) || !m_touched[row])
            continue;
        if (m_mode == ChangeMode::shift) {
            request.offsets[row] = ReadOffsetRow(row);
            request.stamps[row] = true;
            continue;
        }
        if (m_mode == ChangeMode::fromSource) {
            request.sources[row] = Source(row);
            request.stamps[row] = true;
            continue;
        }
        // A row that still shows the first file's stamp stands for that stamp, not for
        // what its local fields would build (the repeated hour of autumn builds another
        // second).
        try {
            if (RowShowsStamp(row, first) && HasStamp(first, row))
                request.values[row] = StampOfRow(first, row);
            else
                request.values[row] = ReadTimeRow(row);
        } catch (const MessageError&) {
            if (!leaveOutRefusedRows)
                throw;
            continue;
        }
        request.stamps[row] = true;
    }
}

void TimeRows::ShowFresh(const FileRecord& first)
{
    m_showing = true;
    std::fill(std::begin(m_touched), std::end(m_touched), false);
    m_mode = ChangeMode::set;
    ShowMode();
    ShowStamps(first);
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION, IDC_MODE_SET,
                   IDC_MODE_SHIFT, IDC_MODE_SOURCE})
        Enable(id, true);
    // All three stored values are read before any of them is applied.
    UINT stored[kTimeRowCount];
    for (int row = 0; row < kTimeRowCount; ++row)
        stored[row] = StoredSwitch(static_cast<SwitchGroupIndex>(row));
    for (int row = 0; row < kTimeRowCount; ++row)
        Enable(kTimeRows[row].switchId, true);
    for (int row = 0; row < kTimeRowCount; ++row)
        RestoreSwitch(m_dialog, static_cast<SwitchGroupIndex>(row), stored[row]);
    m_showing = false;
}

void TimeRows::ShowNoFile()
{
    m_showing = true;
    std::fill(std::begin(m_touched), std::end(m_touched), false);
    m_mode = ChangeMode::set;
    ShowMode();
    for (const TimeRowControls& row : kTimeRows) {
        for (int id : row.edits) {
            SetText(id, L"");
            Enable(id, false);
        }
        Check(row.switchId, false);
        Enable(row.switchId, false);
    }
    for (int id : {IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME, IDC_SAME_AS_CREATION, IDC_MODE_SET,
                   IDC_MODE_SHIFT, IDC_MODE_SOURCE})
        Enable(id, false);
    m_showing = false;
}

void TimeRows::ShowPicked(const FileRecord& record)
{
    if (m_mode == ChangeMode::set)
        ShowStamps(record);
}

void TimeRows::OnSwitchClicked(TimeRow row)
{
    SwitchClicked(m_dialog, static_cast<SwitchGroupIndex>(row));
    Enable(kTimeRows[row].sourceList, m_mode == ChangeMode::fromSource && Ticked(row));
    if (!Ticked(row)) {
        Owner().PartEdited(false);
        return;
    }
    m_touched[row] = true;
    // With several files, ticking a row is how the first file's time goes to all of them.
    Owner().PartEdited(Owner().FileCount() > 1);
}
