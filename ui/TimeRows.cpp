// The three date-time rows and the checks made at every change of a field.
#include "KalendrixDlg.h"

#include "../datetime/FieldRules.h"
#include "../framework/Exceptions.h"

#include <algorithm>
#include <cwchar>

static_assert(static_cast<int>(FieldKind::year) == kYear && static_cast<int>(FieldKind::second) == kSecond,
              "a row's edits are listed in the order of the field kinds");

namespace {

const wchar_t* const kRowNames[kTimeRowCount] = {L"作成日時", L"更新日時", L"アクセス日時"};
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
    throw CMessageException(std::wstring(kRowNames[row]) + L"の「" + kFieldNames[field] + L"」" + what + L"\r\n" +
                            kNothingChanged);
}

} // namespace

// Compares a date-time field with the first file's stamp and corrects it; true when it
// differs. The program's own display of a stamp keeps the stamp's true year: the year
// correction is for what the user types, and waits while a year is being typed.
bool CKalendrixDlg::CheckTimeField(const FileRecord& first, TimeRow row, int field)
{
    const int* edits = kTimeRows[row].edits;
    std::wstring text = GetDlgItemText(edits[field]);
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
                                ::GetFocus() == GetDlgItem(edits[field]);
    if (yearBeingTyped)
        return changed;

    int value = FieldValue(text);
    int corrected = value;
    if (m_programWrites == 0 && CorrectFieldValue(KindOf(field), value, &corrected))
        ReplaceFieldText(edits[field], FieldText(corrected));

    if (LimitsDay(KindOf(field))) {
        // The changed field counts with its text before correction, the others as they stand now.
        auto valueOf = [&](int f) { return f == field ? value : FieldValue(GetDlgItemText(edits[f])); };
        int days = m_fileOperate.GetDaysInMonth(valueOf(kYear), valueOf(kMonth));
        if (days < valueOf(kDay))
            ReplaceFieldText(edits[kDay], FieldText(days));
    }
    return changed;
}

// Writes a corrected text; in the field the user is typing in, the caret stays where it was.
void CKalendrixDlg::ReplaceFieldText(int id, const std::wstring& text)
{
    HWND edit = GetDlgItem(id);
    if (::GetFocus() != edit) {
        SetDlgItemText(id, text);
        return;
    }
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SetDlgItemText(id, text);
    const DWORD length = static_cast<DWORD>(text.size());
    SendMessageW(edit, EM_SETSEL, std::min(start, length), std::min(end, length));
}

// A year left with fewer than four digits is corrected as a year typed in full would be;
// an empty one stays empty. An offset of years is no year.
void CKalendrixDlg::OnFieldLeft(UINT id)
{
    TimeRow row;
    TimeField field;
    if (!FindTimeField(static_cast<int>(id), &row, &field) || field != kYear || m_mode == ChangeMode::shift)
        return;
    if (m_fileOperate.GetRecord(0).fullPath[0] == L'\0')
        return;
    const std::wstring text = GetDlgItemText(static_cast<int>(id));
    int corrected = 0;
    if (!text.empty() && CorrectFieldValue(FieldKind::year, FieldValue(text), &corrected))
        SetDlgItemText(static_cast<int>(id), FieldText(corrected));
}

void CKalendrixDlg::WriteTimeRow(TimeRow row, TimeValue value)
{
    ProgramWrites writing(m_programWrites);
    const LocalFields fields = BreakDownLocal(value);
    // A value the runtime cannot break down leaves the row empty rather than show a false date.
    const bool shown = fields.year != kUnrepresentableFields.year;
    for (int field = 0; field < kTimeFieldCount; ++field)
        SetDlgItemText(kTimeRows[row].edits[field], shown ? FieldText(FieldComponent(fields, KindOf(field))) : L"");
}

void CKalendrixDlg::ShowStamp(TimeRow row, const FileRecord& record)
{
    if (HasStamp(record, row)) {
        WriteTimeRow(row, StampOfRow(record, row));
        return;
    }
    ProgramWrites writing(m_programWrites);
    for (int id : kTimeRows[row].edits)
        SetDlgItemText(id, L"");
}

void CKalendrixDlg::ShowStamps(const FileRecord& record)
{
    for (int row = 0; row < kTimeRowCount; ++row)
        ShowStamp(static_cast<TimeRow>(row), record);
}

bool CKalendrixDlg::RowShowsStamp(TimeRow row, const FileRecord& first) const
{
    for (int field = 0; field < kTimeFieldCount; ++field) {
        if (_wcsicmp(GetDlgItemText(kTimeRows[row].edits[field]).c_str(), StoredText(first, row, field).c_str()) != 0)
            return false;
    }
    return true;
}

bool CKalendrixDlg::StoredStampOf(TimeRow row, const FileRecord& first, TimeValue* value)
{
    if (!HasStamp(first, row))
        return false;
    *value = StampOfRow(first, row);
    return true;
}

TimeValue CKalendrixDlg::ReadTimeRow(TimeRow row)
{
    int values[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field) {
        // An empty field is refused: no value of another file stands in for it.
        const std::wstring text = GetDlgItemText(kTimeRows[row].edits[field]);
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
            throw CMessageException(std::wstring(kRowNames[row]) + L"の " + shown +
                                    L" は、夏時間の始まりで時計が進められるため、存在しない時刻です。\r\n" + kNothingChanged);
        throw CMessageException(std::wstring(kRowNames[row]) + L"の " + shown +
                                L" は、ファイルに記録できる範囲（1970年1月1日 0時 UTC から 3000年12月31日まで）の外です。\r\n" +
                                kNothingChanged);
    }
    return value;
}

void CKalendrixDlg::OnFieldChanged(UINT id)
{
    // A refresh writes the record's own texts, whole rows with the day after its month,
    // and ends with Apply disabled: a check would find no change, and a day it corrected
    // on the way is written again. Each check costs reads of several fields.
    if (m_refreshing)
        return;
    // What the user typed or spun, or a box clicked, is written; the program's own
    // writes of stamps into the rows are not the user's.
    TimeRow row;
    TimeField field;
    const bool timeField = FindTimeField(static_cast<int>(id), &row, &field);
    if (timeField && m_programWrites == 0)
        m_touched[row] = true;
    else if (!timeField && id != IDC_NAME && id != IDC_EXTENSION)
        m_touched[kAttributeSwitch] = true;
    if (timeField && m_mode == ChangeMode::shift) {
        OffsetFieldChanged(static_cast<int>(id));
        UpdatePreview();
        return;
    }

    // The user's own edits compare with the file as it is on disk now.
    const FileRecord first = m_fileOperate.GetRecord(0);
    if (first.fullPath[0] == L'\0')
        return;

    bool changed = false;
    if (timeField)
        changed = CheckTimeField(first, row, field);
    else if (id == IDC_NAME) // exactly: a name that changes only its case is a rename too
        changed = GetDlgItemText(IDC_NAME) != m_fileOperate.GetBaseName(0);
    else if (id == IDC_EXTENSION)
        changed = GetDlgItemText(IDC_EXTENSION) != m_fileOperate.GetExtension(0);
    else
        changed = true; // an attribute box: any click counts as a change

    if (changed)
        EnableDlgItem(IDC_APPLY, true);
    UpdatePreview(first);
}
