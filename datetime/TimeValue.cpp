#include "TimeValue.h"

#include <time.h>

namespace {

// 100-nanosecond intervals per second, and seconds from 1601-01-01 to 1970-01-01.
const ULONGLONG kTicksPerSecond = 10000000ULL;
const ULONGLONG kEpochDifferenceSeconds = 11644473600ULL;

} // namespace

LocalFields BreakDownLocal(TimeValue value)
{
    __time64_t time = value;
    const struct tm* local = _localtime64(&time);
    if (local == nullptr)
        return kUnrepresentableFields;
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec};
}

bool BuildFromLocal(const LocalFields& fields, TimeValue* value)
{
    struct tm local = {};
    local.tm_year = fields.year - 1900;
    local.tm_mon = fields.month - 1;
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = fields.second;
    local.tm_isdst = -1;
    __time64_t time = _mktime64(&local);
    if (time == -1 || time < 0 || time > kMaxTimeValue)
        return false;
    *value = time;
    return true;
}

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4: case 6: case 9: case 11:
        return 30;
    case 2: {
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    default:
        return 31;
    }
}

StampConversion FileTimeToTimeValue(const FILETIME& stamp, TimeValue* value)
{
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&stamp, &utc) || utc.wYear < 1900) {
        *value = 0;
        return StampConversion::noTime;
    }
    ULONGLONG ticks = (static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime;
    ULONGLONG seconds = ticks / kTicksPerSecond;
    if (seconds < kEpochDifferenceSeconds || seconds - kEpochDifferenceSeconds > static_cast<ULONGLONG>(kMaxTimeValue)) {
        *value = 0;
        return StampConversion::unrepresentable;
    }
    *value = static_cast<TimeValue>(seconds - kEpochDifferenceSeconds);
    return StampConversion::converted;
}

bool TimeValueToFileTime(TimeValue value, FILETIME* stamp)
{
    if (value < 0 || value > kMaxTimeValue)
        return false;
    ULONGLONG ticks = (static_cast<ULONGLONG>(value) + kEpochDifferenceSeconds) * kTicksPerSecond;
    stamp->dwLowDateTime = static_cast<DWORD>(ticks);
    stamp->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return true;
}
