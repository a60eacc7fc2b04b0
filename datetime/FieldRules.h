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

// The years a time value reaches (the local edges of 1970 and 3000 are left to the conversion).
constexpr int kFirstWritableYear = 1970;
constexpr int kLastWritableYear = 3000;
// A typed year above the last writable one is taken for a slip and brought down to it.
// A year of fewer than four digits is brought up to the first writable year; a four-digit
// year before it stands, so that the apply refuses it rather than write another year.
constexpr int kFirstFourDigitYear = 1000;

// The value that a field of `kind` is corrected to; false when `value` stands. Every value
// a correction gives can be written; a four-digit year before 1970 stands uncorrected.
bool CorrectFieldValue(FieldKind kind, int value, int* corrected);

// A change of the year, month or day may leave the day past the end of its month.
constexpr bool LimitsDay(FieldKind kind)
{
    return kind == FieldKind::year || kind == FieldKind::month || kind == FieldKind::day;
}

// The component of `fields` that a field of `kind` shows.
int FieldComponent(const LocalFields& fields, FieldKind kind);

// The values a field may hold for a row to be written: the years a file stamp can hold,
// and for the day the length of the row's month. Both ends included.
struct FieldRange {
    int lower;
    int upper;
};
FieldRange WritableRange(FieldKind kind, int year, int month);


// True for a text of decimal digits only, short enough to be read without overflow.
bool IsFieldNumber(const std::wstring& text);

// A field of a row that holds an offset ("ずらす"): an optional minus sign first and at most
// six digits. The text kept of what was typed or pasted: the sign where it leads, the
// digits, leading zeros dropped ("-007" -> "-7"); empty stays empty.
std::wstring OffsetFieldText(const std::wstring& text);
// The value of an offset field's text; empty and a lone minus sign are 0.
int OffsetFieldValue(const std::wstring& text);
