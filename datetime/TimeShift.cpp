#include "TimeShift.h"

namespace {

const LONGLONG kTicksPerSecond = 10000000LL;
const LONGLONG kEpochDifferenceSeconds = 11644473600LL;
// The last second SYSTEMTIME holds (30827-12-31), far beyond any offset's reach.
const LONGLONG kLastFileTimeSecond = 910692730085LL - kEpochDifferenceSeconds;

LONGLONG StampOfSeconds(LONGLONG seconds, LONGLONG fraction)
{
    if (seconds < -kEpochDifferenceSeconds || seconds > kLastFileTimeSecond)
        return -1;
    return (seconds + kEpochDifferenceSeconds) * kTicksPerSecond + fraction;
}

// The local fields moved by whole years and months, the day cut to the new month's end.
LocalFields MovedOnCalendar(LocalFields fields, int years, int months)
{
    const long long monthIndex = static_cast<long long>(fields.year) * 12 + (fields.month - 1) +
                                 static_cast<long long>(years) * 12 + months;
    long long year = monthIndex / 12;
    long long month = monthIndex % 12;
    if (month < 0) {
        month += 12;
        year -= 1;
    }
    fields.year = static_cast<int>(year);
    fields.month = static_cast<int>(month) + 1;
    const int last = DaysInMonth(fields.year, fields.month);
    if (fields.day > last)
        fields.day = last;
    return fields;
}

} // namespace

bool ShiftStamp(LONGLONG stamp, const TimeOffset& offset, LONGLONG* shifted)
{
    // Seconds since 1970 and the fraction, rounded towards the past.
    LONGLONG ticks = stamp - kEpochDifferenceSeconds * kTicksPerSecond;
    LONGLONG seconds = ticks / kTicksPerSecond;
    LONGLONG fraction = ticks % kTicksPerSecond;
    if (fraction < 0) {
        fraction += kTicksPerSecond;
        seconds -= 1;
    }
    bool representable = true;
    if (offset.years != 0 || offset.months != 0) {
        if (seconds < 0 || seconds > kMaxTimeValue) {
            *shifted = -1;
            return false;
        }
        const LocalFields before = BreakDownLocal(seconds);
        const LocalFields after = MovedOnCalendar(before, offset.years, offset.months);
        TimeValue value = 0;
        if (BuildFromLocalPastGap(after, &value)) {
            seconds = value;
        } else {
            // Outside what local time reaches: the would-be value keeps the zone's offset
            // of the stamp it came from.
            seconds = FieldsAsIfUtc(after) - (FieldsAsIfUtc(before) - seconds);
            representable = false;
        }
    }
    seconds += static_cast<LONGLONG>(offset.days) * 86400 + static_cast<LONGLONG>(offset.hours) * 3600 +
               static_cast<LONGLONG>(offset.minutes) * 60 + offset.seconds;
    *shifted = StampOfSeconds(seconds, fraction);
    return representable && seconds >= 0 && seconds <= kMaxTimeValue;
}
