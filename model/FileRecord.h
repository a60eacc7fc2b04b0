// The stored state of one file, a plain value copied whole.
#pragma once

#include "../datetime/TimeValue.h"

#include <windows.h>

struct FileRecord {
    TimeValue createTime;    // 0: no time (read) / leave unchanged (write)
    TimeValue writeTime;
    TimeValue accessTime;
    ULONGLONG size;
    BYTE attribute;          // attribute word & 0x7F
    WCHAR fullPath[MAX_PATH]; // empty when the path could not be resolved
};

// The attribute flags that a record carries.
constexpr DWORD kRecordAttributeMask = 0x7F;
