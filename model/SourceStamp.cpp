#include "SourceStamp.h"

#include "datetime/TimeValue.h"

namespace {

ULONGLONG TicksOf(const FILETIME& stamp)
{
    return (static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime;
}

SourceStamp Stamped(const FILETIME& stamp)
{
    return {SourceStampResult::stamp, stamp};
}

} // namespace

SourceStamp StampOfSourceDate(const SourceDate& date)
{
    SourceStamp result;
    switch (date.kind) {
    case SourceDate::Kind::none:
        result.reason = date.reason;
        return result;
    case SourceDate::Kind::instant: {
        FILETIME first;
        FILETIME last;
        TimeValueToFileTime(0, &first);
        TimeValueToFileTime(kMaxTimeValue, &last);
        if (date.utcTicks < TicksOf(first) || date.utcTicks >= TicksOf(last) + 10000000) {
            result.result = SourceStampResult::outOfRange;
            return result;
        }
        FILETIME stamp;
        stamp.dwLowDateTime = static_cast<DWORD>(date.utcTicks);
        stamp.dwHighDateTime = static_cast<DWORD>(date.utcTicks >> 32);
        return Stamped(stamp);
    }
    case SourceDate::Kind::wallTime: {
        const WallTime& wall = date.wall;
        const LocalFields fields = {wall.year, wall.month, wall.day, wall.hour, wall.minute, wall.second};
        FILETIME stamp;
        switch (BuildStampFromLocal(fields, wall.ticks, &stamp)) {
        case LocalStampBuild::built:
            return Stamped(stamp);
        case LocalStampBuild::skipped:
            result.result = SourceStampResult::skippedLocalTime;
            return result;
        case LocalStampBuild::outOfRange:
            result.result = SourceStampResult::outOfRange;
            return result;
        }
        break;
    }
    }
    return result;
}
