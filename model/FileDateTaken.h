// The date taken of a file on disk, read from its own bytes (sources/DateTaken.h).
#pragma once

#include "sources/SourceDate.h"

#include <string>

// Opens the file at `path` (absolute) for reading, shared with everyone so that no other
// program is held up, and reads only the bytes its kind needs; `unreadable` where it cannot
// be opened.
SourceDate ReadDateTaken(const std::wstring& path);
