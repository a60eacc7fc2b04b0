// The three date-time rows and the checks made at every change of a field.
#include "KalendrixDlg.h"

#include "../datetime/FieldRules.h"
#include "../framework/Exceptions.h"

#include <cwchar>

static_assert(static_cast<int>(FieldKind::year) == kYear && static_cast<int>(FieldKind::second) == kSecond,
              "a row's edits are listed in the order of the field kinds");

namespace {

FieldKind KindOf(int field)
{
    return static_cast<FieldKind>(field);
}

TimeValue StampOfRow(const FileRecord& record, TimeRow row)
{
    const TimeValue stamps[kTimeRowCount] = {record.createTime, record.writeTime, record.accessTime};
    return stamps[row];
}

// What a field shows for a stored stamp; broken down anew each time, as the row is.
std::wstring StoredFieldText(TimeValue stamp, int field)
{
    return FieldText(FieldComponent(BreakDownLocal(stamp), KindOf(field)));
}

// Compares a date-time field with the first file's stamp and corrects it; true when it differs.
bool CheckTimeField(CKalendrixDlg& dialog, const FileRecord& first, TimeRow row, int field)
{
    const int* edits = kTimeRows[row].edits;
    std::wstring text = dialog.GetDlgItemText(edits[field]);
    std::wstring stripped;
    if (StripLeadingZeros(text, &stripped)) {
        // Runs this handler again for the stripped text before going on with it here.
        dialog.SetDlgItemText(edits[field], stripped);
        text = stripped;
    }

    bool changed = _wcsicmp(text.c_str(), StoredFieldText(StampOfRow(first, row), field).c_str()) != 0;

    int value = FieldValue(text);
    int corrected = value;
    if (CorrectFieldValue(KindOf(field), value, &corrected))
        dialog.SetDlgItemText(edits[field], FieldText(corrected));

    if (LimitsDay(KindOf(field))) {
        // The changed field counts with its text before correction, the others as they stand now.
        auto valueOf = [&](int f) { return f == field ? value : FieldValue(dialog.GetDlgItemText(edits[f])); };
        int days = dialog.GetFileOperate().GetDaysInMonth(valueOf(kYear), valueOf(kMonth));
        if (days < valueOf(kDay))
            dialog.SetDlgItemText(edits[kDay], FieldText(days));
    }
    return changed;
}

} // namespace

void CKalendrixDlg::WriteTimeRow(TimeRow row, TimeValue value)
{
    for (int field = 0; field < kTimeFieldCount; ++field)
        SetDlgItemText(kTimeRows[row].edits[field], StoredFieldText(value, field));
}

TimeValue CKalendrixDlg::ReadTimeRow(TimeRow row)
{
    const TimeValue stored = StampOfRow(m_fileOperate.GetRecord(0), row);
    int values[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field) {
        int id = kTimeRows[row].edits[field];
        std::wstring text = GetDlgItemText(id);
        if (text.empty()) {
            // An empty field takes the first file's stored value; the filled text counts
            // even where the field's own check corrects what the edit shows.
            text = StoredFieldText(stored, field);
            SetDlgItemText(id, text);
        }
        values[field] = FieldValue(text);
    }

    const LocalFields fields = {values[kYear], values[kMonth],  values[kDay],
                                values[kHour], values[kMinute], values[kSecond]};
    HRESULT check = CheckRowFields(fields);
    if (FAILED(check))
        AfxThrowHResultException(check);
    TimeValue value = 0;
    if (!BuildFromLocal(fields, &value))
        AfxThrowHResultException(E_INVALIDARG);
    return value;
}

void CKalendrixDlg::SetSpinRanges()
{
    for (const TimeRowControls& row : kTimeRows) {
        for (int field = 0; field < kTimeFieldCount; ++field) {
            const SpinRange& range = kSpinRanges[field];
            SendDlgItemMessage(row.spins[field], UDM_SETRANGE, 0, MAKELPARAM(range.upper, range.lower));
        }
    }
}

void CKalendrixDlg::OnFieldChanged(UINT id)
{
    const FileRecord first = m_fileOperate.GetRecord(0);
    if (first.fullPath[0] == L'\0')
        return;

    bool changed = false;
    TimeRow row;
    TimeField field;
    if (FindTimeField(static_cast<int>(id), &row, &field))
        changed = CheckTimeField(*this, first, row, field);
    else if (id == IDC_NAME)
        changed = _wcsicmp(GetDlgItemText(IDC_NAME).c_str(), m_fileOperate.GetBaseName(0).c_str()) != 0;
    else if (id == IDC_EXTENSION)
        changed = _wcsicmp(GetDlgItemText(IDC_EXTENSION).c_str(), m_fileOperate.GetExtension(0).c_str()) != 0;
    else
        changed = true; // an attribute box: any click counts as a change

    if (changed)
        EnableDlgItem(IDC_APPLY, true);
}
