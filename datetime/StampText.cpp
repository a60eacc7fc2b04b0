#include "StampText.h"

#include "TimeValue.h"

namespace {

std::wstring Formatted(const SYSTEMTIME& time)
{
    wchar_t date[80] = L"";
    wchar_t clock[80] = L"";
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, clock, 80);
    return std::wstring(date) + L" " + clock;
}

} // namespace

std::wstring LocalStampText(LONGLONG stamp)
{
    if (stamp == 0)
        return std::wstring();
    const ULONGLONG bits = static_cast<ULONGLONG>(stamp);
    const FILETIME time = {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
    TimeValue value = 0;
    if (FileTimeToTimeValue(time, &value) == StampConversion::converted) {
        const LocalFields fields = BreakDownLocal(value);
        if (fields.year != kUnrepresentableFields.year) {
            SYSTEMTIME local = {};
            local.wYear = static_cast<WORD>(fields.year);
            local.wMonth = static_cast<WORD>(fields.month);
            local.wDay = static_cast<WORD>(fields.day);
            local.wHour = static_cast<WORD>(fields.hour);
            local.wMinute = static_cast<WORD>(fields.minute);
            local.wSecond = static_cast<WORD>(fields.second);
            return Formatted(local);
        }
    }
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&time, &utc))
        return std::wstring();
    return Formatted(utc) + L" (UTC)";
}
