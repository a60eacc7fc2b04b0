// Time values (whole seconds since 1970-01-01 00:00:00 UTC) and their conversions to
// local calendar fields and to the file system's stamps.
#pragma once

#include "Calendar.h"

#include <windows.h>

using TimeValue = __int64;

// The last second whose local fields every zone can show within the year 3000:
// 3001-01-01 07:59:59 UTC, as far as the file stamps are written.
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

// Local civil time of the user's Windows time zone for `value`, by the daylight-saving
// rules in force in that year (as Explorer shows it; the TZ variable plays no part);
// kUnrepresentableFields outside 0..kMaxTimeValue.
LocalFields BreakDownLocal(TimeValue value);

// The time value of local fields in the user's Windows time zone, by that year's rules.
// Fields past their ranges roll over (a 32nd of January is the 1st of February). A time
// in the autumn's repeated hour is its first occurrence. False when the time lies
// outside 0..kMaxTimeValue or does not exist (IsSkippedLocalTime).
bool BuildFromLocal(const LocalFields& fields, TimeValue* value);

enum class LocalStampBuild { built, skipped, outOfRange };

// The stamp of local fields and a part of their second in 100-ns ticks (below 10 000 000),
// read as BuildFromLocal reads the fields: `skipped` for a time in the spring gap,
// `outOfRange` outside 0..kMaxTimeValue or for a part of a second that is not one.
LocalStampBuild BuildStampFromLocal(const LocalFields& fields, unsigned ticks, FILETIME* stamp);

// As BuildFromLocal, but a time in the spring gap is read with the offset in force before
// the gap, and so lands as far past the gap's end as it lay past its start (Berlin's
// 2024-03-31 02:30 is 03:30 summer time). False outside 0..kMaxTimeValue.
bool BuildFromLocalPastGap(const LocalFields& fields, TimeValue* value);

// The seconds local fields would stand for if they were UTC's: calendar arithmetic
// alone, no zone. Minus a value, it gives the zone's offset at that value.
TimeValue FieldsAsIfUtc(const LocalFields& fields);

// Whether the local fields name a time that the clocks skip in the user's zone, the hour
// lost when daylight saving begins (Berlin's 2024-03-31 02:30).
bool IsSkippedLocalTime(const LocalFields& fields);

enum class StampConversion {
    converted,      // *value holds the stamp's second
    noTime,         // before the year 1900, or no valid stamp: reads as 0
    unrepresentable // from 1900 on, but outside 0..kMaxTimeValue
};

// The stamp's own UTC second, the sub-second part dropped.
StampConversion FileTimeToTimeValue(const FILETIME& stamp, TimeValue* value);

// The stamp of a time value by exact UTC arithmetic; false outside 0..kMaxTimeValue.
bool TimeValueToFileTime(TimeValue value, FILETIME* stamp);
