#include "TimeValue.h"

namespace {

// 100-nanosecond intervals per second, and seconds from 1601-01-01 to 1970-01-01.
const ULONGLONG kTicksPerSecond = 10000000ULL;
const ULONGLONG kEpochDifferenceSeconds = 11644473600ULL;
const LONGLONG kSecondsPerDay = 86400;
// About the year 30000, within what SYSTEMTIME holds.
const LONGLONG kLastCalendarSecond = 28000LL * 365 * kSecondsPerDay;

// The user's zone as the control panel sets it, with its table of rules by year. Read
// once a process: the conversions of one run agree with each other, and a change of zone
// shows at the next start.
const DYNAMIC_TIME_ZONE_INFORMATION& UserZone()
{
    static const DYNAMIC_TIME_ZONE_INFORMATION zone = [] {
        DYNAMIC_TIME_ZONE_INFORMATION info = {};
        GetDynamicTimeZoneInformation(&info);
        return info;
    }();
    return zone;
}

// Calendar fields of seconds since 1970-01-01 read as a UTC instant; false before 1601
// or past what SYSTEMTIME holds.
bool SecondsToSystemTime(LONGLONG seconds, SYSTEMTIME* time)
{
    if (seconds < -static_cast<LONGLONG>(kEpochDifferenceSeconds) || seconds > kLastCalendarSecond)
        return false;
    const ULONGLONG ticks = (static_cast<ULONGLONG>(seconds + static_cast<LONGLONG>(kEpochDifferenceSeconds))) *
                            kTicksPerSecond;
    FILETIME stamp;
    stamp.dwLowDateTime = static_cast<DWORD>(ticks);
    stamp.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return FileTimeToSystemTime(&stamp, time) != FALSE;
}

// The zone's rules for a year: those in force then where the zone keeps them by year; a
// zone without rules by year (a custom zone, as Wine makes for a TZ without dates) shows
// every year by its current rules, as Explorer shows such a stamp. The last year's are
// kept: a refresh converts a dozen times, mostly within one year, and each lookup reads
// the registry.
bool RulesOfYear(WORD year, TIME_ZONE_INFORMATION* rules)
{
    thread_local WORD lastYear = 0;
    thread_local TIME_ZONE_INFORMATION lastRules = {};
    if (year != lastYear) {
        DYNAMIC_TIME_ZONE_INFORMATION zone = UserZone();
        if (!GetTimeZoneInformationForYear(year, &zone, &lastRules) &&
            GetTimeZoneInformation(&lastRules) == TIME_ZONE_ID_INVALID) {
            lastYear = 0;
            return false;
        }
        lastYear = year;
    }
    *rules = lastRules;
    return true;
}

bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local)
{
    TIME_ZONE_INFORMATION rules;
    return RulesOfYear(utc.wYear, &rules) && SystemTimeToTzSpecificLocalTime(&rules, &utc, local);
}

bool SameFields(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

enum class LocalResult { built, skipped, unrepresentable };
enum class InTheGap { refused, pastIt };

// Local fields to the UTC second. The year's rules give the zone's two offsets; each
// offset that maps back onto the same fields is an occurrence of that local time: none
// in the spring gap, two in the autumn's repeated hour, of which the first is taken.
LocalResult FromLocal(const LocalFields& fields, TimeValue* value, InTheGap gap = InTheGap::refused)
{
    const LONGLONG asIfUtc = DaysSinceEpoch(fields.year, fields.month, fields.day) * kSecondsPerDay +
                             static_cast<LONGLONG>(fields.hour) * 3600 + static_cast<LONGLONG>(fields.minute) * 60 +
                             fields.second;
    SYSTEMTIME wanted;
    if (!SecondsToSystemTime(asIfUtc, &wanted))
        return LocalResult::unrepresentable;
    TIME_ZONE_INFORMATION rules;
    if (!RulesOfYear(wanted.wYear, &rules))
        return LocalResult::unrepresentable;
    // UTC = local + bias (minutes).
    const LONG biases[] = {rules.Bias + rules.DaylightBias, rules.Bias + rules.StandardBias};
    bool found = false;
    LONGLONG first = 0;
    for (LONG bias : biases) {
        const LONGLONG candidate = asIfUtc + static_cast<LONGLONG>(bias) * 60;
        SYSTEMTIME utc;
        SYSTEMTIME local;
        if (!SecondsToSystemTime(candidate, &utc) || !UtcToLocal(utc, &local) || !SameFields(local, wanted))
            continue;
        if (!found || candidate < first)
            first = candidate;
        found = true;
    }
    if (!found && gap == InTheGap::refused)
        return LocalResult::skipped;
    // A gap always leads from standard time into daylight time: before it, standard time.
    if (!found)
        first = asIfUtc + static_cast<LONGLONG>(rules.Bias + rules.StandardBias) * 60;
    if (first < 0 || first > kMaxTimeValue)
        return LocalResult::unrepresentable;
    *value = first;
    return LocalResult::built;
}

} // namespace

LocalFields BreakDownLocal(TimeValue value)
{
    SYSTEMTIME utc;
    SYSTEMTIME local;
    if (value < 0 || value > kMaxTimeValue || !SecondsToSystemTime(value, &utc) || !UtcToLocal(utc, &local))
        return kUnrepresentableFields;
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

bool BuildFromLocal(const LocalFields& fields, TimeValue* value)
{
    return FromLocal(fields, value) == LocalResult::built;
}

LocalStampBuild BuildStampFromLocal(const LocalFields& fields, unsigned ticks, FILETIME* stamp)
{
    TimeValue value = 0;
    switch (FromLocal(fields, &value)) {
    case LocalResult::built:
        break;
    case LocalResult::skipped:
        return LocalStampBuild::skipped;
    case LocalResult::unrepresentable:
        return LocalStampBuild::outOfRange;
    }
    FILETIME whole;
    if (ticks >= kTicksPerSecond || !TimeValueToFileTime(value, &whole))
        return LocalStampBuild::outOfRange;
    const ULONGLONG total = ((static_cast<ULONGLONG>(whole.dwHighDateTime) << 32) | whole.dwLowDateTime) + ticks;
    stamp->dwLowDateTime = static_cast<DWORD>(total);
    stamp->dwHighDateTime = static_cast<DWORD>(total >> 32);
    return LocalStampBuild::built;
}

bool BuildFromLocalPastGap(const LocalFields& fields, TimeValue* value)
{
    return FromLocal(fields, value, InTheGap::pastIt) == LocalResult::built;
}

TimeValue FieldsAsIfUtc(const LocalFields& fields)
{
    return DaysSinceEpoch(fields.year, fields.month, fields.day) * kSecondsPerDay +
           static_cast<LONGLONG>(fields.hour) * 3600 + static_cast<LONGLONG>(fields.minute) * 60 + fields.second;
}

bool IsSkippedLocalTime(const LocalFields& fields)
{
    TimeValue ignored = 0;
    return FromLocal(fields, &ignored) == LocalResult::skipped;
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
