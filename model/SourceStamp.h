// The file stamp that a date from a file's content or name stands for: an instant as it
// is, a wall time as a local time of the Windows zone by the rules of its own year.
#pragma once

#include "sources/SourceDate.h"

#include <windows.h>

enum class SourceStampResult {
    stamp,
    noDate,           // the source has none
    skippedLocalTime, // a wall time in the hour the clocks skip in spring
    outOfRange        // before 1970 or past the last stamp written
};

struct SourceStamp {
    SourceStampResult result = SourceStampResult::noDate;
    FILETIME stamp = {};
    NoDateReason reason = NoDateReason::noDate; // noDate: why the source has none
};

SourceStamp StampOfSourceDate(const SourceDate& date);
