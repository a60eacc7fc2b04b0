// Calendar arithmetic of the proleptic Gregorian calendar, with no zone and no system
// call: shared by the local-time conversions and the window-free readers of dates.
#pragma once

#include <cstdint>

// Days of a month; 31 for a month outside 1..12.
int DaysInMonth(int year, int month);

// Days from 1970-01-01 to a date; months and days past their ranges roll over, as the C
// runtime's mktime lets them.
std::int64_t DaysSinceEpoch(std::int64_t year, std::int64_t month, std::int64_t day);
