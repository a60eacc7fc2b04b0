// A date found in a file's content or name: an exact instant, a wall-clock time that
// names no zone, or none with the reason.
#pragma once

#include <cstdint>

// Calendar fields of a clock's reading; `ticks` is the part of the second in 100 ns.
struct WallTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
    std::uint32_t ticks;
};

enum class NoDateReason {
    unknownFormat,  // not a kind of file whose dates are read
    noDate,         // the kind is read, but it holds no date
    impossibleDate, // a date is there, but no calendar has it (month 13, all zeros)
    damaged,        // the structure ends or points where it cannot
    unreadable      // the bytes could not be read at all
};

struct SourceDate {
    enum class Kind { none, instant, wallTime };

    Kind kind = Kind::none;
    WallTime wall = {};           // wallTime: the fields as written
    std::uint64_t utcTicks = 0;   // instant: 100 ns since 1601-01-01 UTC, as a file stamp counts
    NoDateReason reason = NoDateReason::noDate; // none: why

    static SourceDate Instant(std::uint64_t utcTicks);
    static SourceDate Wall(const WallTime& wall);
    static SourceDate None(NoDateReason reason);
    bool Found() const { return kind != Kind::none; }
};

// Whether the fields name a real moment of the calendar (years 1..9999, no 30 February,
// no hour 24, no leap second).
bool IsValidWallTime(const WallTime& wall);

// The instant of valid fields read at `offsetMinutes` east of UTC; false before 1601.
bool InstantOf(const WallTime& wall, int offsetMinutes, std::uint64_t* utcTicks);
