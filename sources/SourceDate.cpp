#include "SourceDate.h"

#include "datetime/Calendar.h"

namespace {

const std::uint64_t kTicksPerSecond = 10000000;
// Days from 1601-01-01, where file stamps start, to 1970-01-01.
const std::int64_t kDaysFrom1601To1970 = 134774;

} // namespace

SourceDate SourceDate::Instant(std::uint64_t utcTicks)
{
    SourceDate date;
    date.kind = Kind::instant;
    date.utcTicks = utcTicks;
    return date;
}

SourceDate SourceDate::Wall(const WallTime& wall)
{
    SourceDate date;
    date.kind = Kind::wallTime;
    date.wall = wall;
    return date;
}

SourceDate SourceDate::None(NoDateReason reason)
{
    SourceDate date;
    date.reason = reason;
    return date;
}

bool IsValidWallTime(const WallTime& wall)
{
    return wall.year >= 1 && wall.year <= 9999 && wall.month >= 1 && wall.month <= 12 && wall.day >= 1 &&
           wall.day <= DaysInMonth(wall.year, wall.month) && wall.hour >= 0 && wall.hour <= 23 && wall.minute >= 0 &&
           wall.minute <= 59 && wall.second >= 0 && wall.second <= 59 && wall.ticks < kTicksPerSecond;
}

bool InstantOf(const WallTime& wall, int offsetMinutes, std::uint64_t* utcTicks)
{
    const std::int64_t days = DaysSinceEpoch(wall.year, wall.month, wall.day) + kDaysFrom1601To1970;
    const std::int64_t seconds = days * 86400 + wall.hour * 3600 + wall.minute * 60 + wall.second -
                                 static_cast<std::int64_t>(offsetMinutes) * 60;
    if (seconds < 0)
        return false;
    *utcTicks = static_cast<std::uint64_t>(seconds) * kTicksPerSecond + wall.ticks;
    return true;
}
