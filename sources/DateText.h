// The texts in which files write their dates: Exif's "2024:03:15 14:22:33" with its
// sub-second and offset tags, and QuickTime's ISO 8601 "2024-03-15T14:22:33+0100".
#pragma once

#include "SourceDate.h"

#include <string_view>

enum class DateTextRead {
    read,
    absent, // empty, blank or all zeros: the writer did not know the date
    invalid // not a date, or one no calendar has
};

// A text as a file stores it: up to its first NUL, without trailing spaces.
std::string_view StoredText(std::string_view raw);

// Exif's date and time ("YYYY:MM:DD HH:MM:SS"); `ticks` is left 0.
DateTextRead ReadExifDateTime(std::string_view text, WallTime* wall);
// Exif's sub-second digits ("123" is 0.123 s), to 100 ns; 0 where there are none.
std::uint32_t ReadSubSecondTicks(std::string_view text);
// An offset from UTC ("+01:00", "-0530", "+09", "Z") filling the text, in minutes east;
// false where there is none.
bool ReadOffsetText(std::string_view text, int* minutes);

// ISO 8601's date and time with an optional fraction and offset ("Z", "+01:00", "+0100"):
// an instant with an offset, a wall time without one.
DateTextRead ReadIsoDateTime(std::string_view text, SourceDate* date);
