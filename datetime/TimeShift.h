// Moving a file stamp by a signed offset, as a clock that ran wrong is corrected: years
// and months on the local calendar, the rest as exact durations.
#pragma once

#include "TimeValue.h"

#include <windows.h>

struct TimeOffset {
    int years = 0;
    int months = 0;
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool IsZero() const { return years == 0 && months == 0 && days == 0 && hours == 0 && minutes == 0 && seconds == 0; }
};

// The largest offset a field takes in any unit: six digits, so that no sum overflows.
constexpr int kLargestOffsetField = 999999;

// Moves `stamp` (100-ns units since 1601, UTC) by `offset`. First the years and months, on
// the local calendar: the local date keeps its day, cut to the month's last (31 January +
// 1 month is the last of February), and its local time of day; a time of day the clocks
// skip that day lands as far past the gap as it lay in it, and one they repeat is its first
// occurrence. Then days, hours, minutes and seconds as exact durations (+1 h across a change
// of daylight saving time is exactly 3 600 s). The fraction of a second is kept.
// False when the result lies outside 1970-01-01 00:00:00 UTC .. kMaxTimeValue, or the stamp
// itself cannot be read as local time for a calendar move; `*shifted` then holds the
// would-be stamp where a FILETIME can hold it, else a negative number.
bool ShiftStamp(LONGLONG stamp, const TimeOffset& offset, LONGLONG* shifted);
