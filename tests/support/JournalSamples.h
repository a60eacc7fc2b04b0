// Journal entries the journal's tests write and read back.
#pragma once

#include "model/ChangeJournal.h"

#include <string>

const LONGLONG kSampleWriteBefore = 127531776001234567LL;  // 2005-02-18 05:20:00.1234567 UTC
const LONGLONG kSampleAccessBefore = 127633815307654321LL; // 2005-06-16 07:45:30.7654321 UTC

// A file's write stamp and flags changed, with its identity.
inline JournalEntry ChangedEntry(const std::wstring& path)
{
    JournalEntry entry;
    entry.path = path;
    entry.identity = {0x5EULL, 0, 0x2A0000000003F1ULL};
    entry.before = {kSampleWriteBefore, kSampleWriteBefore + 1, kSampleAccessBefore,
                    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE};
    entry.after = {0, 129539880000000000LL, 0, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED};
    entry.changes = kWritePart | kAttributePart;
    return entry;
}
