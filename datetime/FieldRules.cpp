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
        if (value > 2049)
            limited = 2049;
        else if (value < 1950)
            limited = 1950;
        break;
    case FieldKind::month:
        if (value > 12)
            limited = 12;
        break;
    case FieldKind::day:
        break;
    case FieldKind::hour:
        if (value > 24)
            limited = 24;
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

HRESULT CheckRowFields(const LocalFields& fields)
{
    bool inRange = fields.year >= 1900 && fields.month >= 1 && fields.month <= 12 && fields.day >= 1 &&
                   fields.day <= 31 && fields.hour >= 0 && fields.hour <= 23 && fields.minute >= 0 &&
                   fields.minute <= 59 && fields.second >= 0 && fields.second <= 59;
    return inRange ? S_OK : E_FAIL;
}
