// The stored state of one file, a value copied whole.
#pragma once

#include "../datetime/TimeValue.h"

#include <windows.h>
#include <string>

// The three stamps of a file, as bits of FileRecord::unrepresentable.
enum StampBit : BYTE { kCreationStamp = 0x01, kWriteStamp = 0x02, kAccessStamp = 0x04 };

struct FileRecord {
    TimeValue createTime;    // 0: no time
    TimeValue writeTime;
    TimeValue accessTime;
    ULONGLONG size;
    BYTE attribute;          // attribute word & 0x7F
    std::wstring fullPath;   // empty when the path could not be resolved
    // False when the path names no file whose state could be read (missing, a device, a
    // wildcard, too long): its times, size and attributes are then 0 and mean nothing.
    bool found;
    // Stamps the file has but a time value cannot hold (before 1970 or after 3000, UTC).
    // Their time is 0 and takes no fallback, so that no other stamp is shown or written
    // in their place.
    BYTE unrepresentable;
};

// The attribute flags that a record carries.
constexpr DWORD kRecordAttributeMask = 0x7F;
