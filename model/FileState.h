// What a file holds that Kalendrix reads and writes, and what tells one file from another.
#pragma once

#include <windows.h>

// A file's stamps (100-ns units since 1601, UTC) and attribute word.
struct FileState {
    LONGLONG creation = 0;
    LONGLONG write = 0;
    LONGLONG access = 0;
    DWORD attributes = 0;
};

// What tells one file from another that later takes its path: the volume's serial number
// and the file's ID on it (128 bits where the file system gives them, else the 64-bit index
// in `low`). All zero: not known.
struct FileIdentity {
    ULONGLONG volume = 0;
    ULONGLONG high = 0;
    ULONGLONG low = 0;
    bool Known() const { return volume != 0 || high != 0 || low != 0; }
    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && high == other.high && low == other.low;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
