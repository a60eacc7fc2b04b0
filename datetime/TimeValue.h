// Time values (whole seconds since 1970-01-01 00:00:00 UTC) and their conversions to
// local calendar fields and to the file system's stamps.
#pragma once

#include <windows.h>

using TimeValue = __int64;

// The C runtime's 64-bit calendar functions work up to 3001-01-01 07:59:59 UTC.
constexpr TimeValue kMaxTimeValue = 32535244799LL;

struct LocalFields {
    int year;   // full year, 2011
    int month;  // 1..12
    int day;    // 1..31
    int hour;   // 0..23
    int minute;
    int second;
};

// What a time value that cannot be broken down shows.
constexpr LocalFields kUnrepresentableFields = {0, 0, 0, -1, -1, -1};

// Local civil time of the process's zone for `value`; kUnrepresentableFields when the
// runtime cannot break it down (negative, or past kMaxTimeValue).
LocalFields BreakDownLocal(TimeValue value);

// The time value of local fields, daylight saving decided by the zone's rules for that
// date; false when the runtime cannot represent it.
bool BuildFromLocal(const LocalFields& fields, TimeValue* value);

// Days of a month in the Gregorian calendar; 31 for a month outside 1..12.
int DaysInMonth(int year, int month);

enum class StampConversion {
    converted,      // *value holds the stamp's second
    noTime,         // before the year 1900, or no valid stamp: reads as 0
    unrepresentable // from 1900 on, but outside 0..kMaxTimeValue
};

// The stamp's own UTC second, the sub-second part dropped.
StampConversion FileTimeToTimeValue(const FILETIME& stamp, TimeValue* value);

// The stamp of a time value by exact UTC arithmetic; false outside 0..kMaxTimeValue.
bool TimeValueToFileTime(TimeValue value, FILETIME* stamp);
