#include "FieldRules.h"

#include <cstdlib>
#include <cwchar>

int FieldValue(const std::wstring& text)
{
    return _wtoi(text.c_str());
}

std::wstring FieldText(int value)
{
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    return text;
}

bool StripLeadingZeros(const std::wstring& text, std::wstring* stripped)
{
    if (text.size() < 2 || text[0] != L'0')
        return false;
    *stripped = FieldText(FieldValue(text));
    return true;
}

bool CorrectFieldValue(FieldKind kind, int value, int* corrected)
{
    int limited = value;
    switch (kind) {
    case FieldKind::year:
        if (value > kLastWritableYear)
            limited = kLastWritableYear;
        else if (value < kFirstFourDigitYear)
            limited = kFirstWritableYear;
        break;
    case FieldKind::month:
        if (value > 12)
            limited = 12;
        break;
    case FieldKind::day:
        break;
    case FieldKind::hour:
        if (value > 23)
            limited = 23;
        break;
    case FieldKind::minute:
    case FieldKind::second:
        if (value > 59)
            limited = 59;
        break;
    }
    *corrected = limited;
    return limited != value;
}

int FieldComponent(const LocalFields& fields, FieldKind kind)
{
    switch (kind) {
    case FieldKind::year:
        return fields.year;
    case FieldKind::month:
        return fields.month;
    case FieldKind::day:
        return fields.day;
    case FieldKind::hour:
        return fields.hour;
    case FieldKind::minute:
        return fields.minute;
    case FieldKind::second:
        return fields.second;
    }
    return 0;
}

FieldRange WritableRange(FieldKind kind, int year, int month)
{
    switch (kind) {
    case FieldKind::year:
        return {kFirstWritableYear, kLastWritableYear};
    case FieldKind::month:
        return {1, 12};
    case FieldKind::day:
        return {1, DaysInMonth(year, month)};
    case FieldKind::hour:
        return {0, 23};
    case FieldKind::minute:
    case FieldKind::second:
        return {0, 59};
    }
    return {0, 0};
}

bool IsFieldNumber(const std::wstring& text)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
    }
    return true;
}

std::wstring OffsetFieldText(const std::wstring& text)
{
    const bool negative = !text.empty() && text[0] == L'-';
    std::wstring digits;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9')
            digits += c;
    }
    const size_t firstSignificant = digits.find_first_not_of(L'0');
    if (firstSignificant == std::wstring::npos)
        digits = digits.empty() ? L"" : L"0";
    else
        digits.erase(0, firstSignificant);
    if (digits.size() > 6)
        digits.resize(6);
    return negative ? L"-" + digits : digits;
}

int OffsetFieldValue(const std::wstring& text)
{
    return _wtoi(OffsetFieldText(text).c_str());
}
