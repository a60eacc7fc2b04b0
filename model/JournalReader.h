// Reading a journal: its text streamed from any source, with a tolerant end, and the
// journal file an undo opens, reads and removes.
#pragma once

#include "../framework/UniqueHandle.h"
#include "../framework/WorkProgress.h"
#include "ChangeJournal.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

enum class JournalReading { read, missing, unreadable };

// Where a journal's bytes come from: up to `size` of them into `buffer`, `*got` 0 at the
// end; false when they cannot be read.
using JournalSource = std::function<bool(char* buffer, size_t size, size_t* got)>;

// The most a journal may hold before any of it is taken: a journal that another program
// made large is refused before it is read whole.
constexpr size_t kMostJournalEntries = 10000000;
constexpr ULONGLONG kLargestJournal = 4ULL << 30;

struct JournalContents {
    std::vector<JournalEntry> entries;
    FILETIME made = {}; // when the apply began (UTC); zero for the first version
    // The last group was passed over: it had no closing line, one that does not agree with
    // it, or a line that is no entry. Its files were not touched where the program ended
    // while writing it; where the journal was damaged after the apply, they may hold the
    // change. `passedOver` holds the entries that could be read there.
    bool lastGroupPassedOver = false;
    std::vector<JournalEntry> passedOver;
};

// Reads every whole group. The last group may be passed over (see JournalContents); damage
// before it (a bad line in a closed group, a count or checksum that does not match, a line
// longer than any entry can be) makes the journal unreadable, with the reason in `problem`
// and nothing in `contents`; so does a journal of more than kMostJournalEntries entries or
// kLargestJournal bytes. Streams the source: an over-long line is refused as soon as it
// passes the longest entry, not read whole.
JournalReading ReadJournal(const JournalSource& source, JournalContents* contents, std::wstring* problem);

// A journal opened for an undo: read once, and held open so that it can be removed through
// the same handle when nothing is left to undo; a journal that another running copy wrote
// meanwhile under the same name is never removed.
class ChangeJournalFile {
public:
    // As ReadJournal; missing where there is no journal. With `progress`, counts the
    // hundredths of the journal read; a cancel ends the reading as unreadable.
    JournalReading Open(const std::wstring& path, std::wstring* problem, WorkProgress* progress = nullptr);
    const std::vector<JournalEntry>& Entries() const { return m_contents.entries; }
    const JournalContents& Contents() const { return m_contents; }
    // When the apply began (UTC).
    FILETIME Made() const { return m_contents.made; }
    // Removes the journal through the handle it was read with; false with the system's error.
    bool Remove(DWORD* error);

private:
    JournalContents m_contents;
    UniqueHandle m_file; // open with delete access, sharing reading and deletion
};
