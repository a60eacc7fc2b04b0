// Rules for the texts of a date-time row's six fields: their values, the corrections made
// at every change, and the ranges a row must meet to be read back as a time value.
#pragma once

#include "TimeValue.h"

#include <windows.h>
#include <string>

// The component of local time that a field holds, in the order of a row.
enum class FieldKind { year, month, day, hour, minute, second };

// The leading decimal number of a field's text as _wtoi reads it; 0 when there is none.
int FieldValue(const std::wstring& text);

// A number as a field shows it: plain decimal, no padding, no separators.
std::wstring FieldText(int value);

// "0007" -> "7", "00" -> "0"; false when the text does not start with "0" or is one
// character long, so it stands as it is.
bool StripLeadingZeros(const std::wstring& text, std::wstring* stripped);

// The value that a field of `kind` is corrected to; false when `value` stands.
bool CorrectFieldValue(FieldKind kind, int value, int* corrected);

// A change of the year, month or day may leave the day past the end of its month.
constexpr bool LimitsDay(FieldKind kind)
{
    return kind == FieldKind::year || kind == FieldKind::month || kind == FieldKind::day;
}

// The component of `fields` that a field of `kind` shows.
int FieldComponent(const LocalFields& fields, FieldKind kind);

// S_OK when every component lies in its range, else E_FAIL. Looser than the time value
// range: 1900 to 1969 passes here and fails in the conversion.
HRESULT CheckRowFields(const LocalFields& fields);
