// The record of the last apply: written and flushed before the apply changes a file, so
// that an undo can put every file back, also after the program was ended halfway. What it
// keeps of each file, and where it lives; its text is JournalFormat.h, its reader
// JournalReader.h, its writer JournalWriter.h.
#pragma once

#include "FileState.h"

#include <string>

// The parts of a file an apply changes, as bits of JournalEntry::changes.
enum JournalPart : unsigned { kCreationPart = 0x01, kWritePart = 0x02, kAccessPart = 0x04, kAttributePart = 0x08 };

struct JournalEntry {
    std::wstring path;    // the file's full path when the apply found it (through any link)
    std::wstring newPath; // where the apply moved it; empty when it did not
    FileIdentity identity;
    FileState before;
    FileState after;      // meaningful for the parts in `changes` only
    unsigned changes = 0;
    size_t line = 0;      // the journal's line it was read from; 0: not read from one
};

// %LOCALAPPDATA%\tavolin\Kalendrix\UndoJournal.txt; empty when the system names no such
// folder. The environment variable KALENDRIX_JOURNAL_FOLDER, where set, names the folder
// instead (the tests' own journal, never the user's).
std::wstring DefaultJournalPath();
