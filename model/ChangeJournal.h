// The record of the last apply: written and flushed before the apply changes a file, so
// that an undo can put every file back, also after the program was ended halfway.
//
// A text file in UTF-8 with a byte order mark, readable in an editor: a header line with
// the format's version, a comment line naming the columns, then one line a file, its
// fields separated by tabs (no Windows file name holds a tab):
//   path, new path (empty: not moved), then before and after of the creation, last-write
//   and last-access stamps (UTC, to the 100 ns the file system keeps), then before and
//   after of the attribute word (hex). An after field of "-" is a part the apply left.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// A file's stamps (100-ns units since 1601, UTC) and attribute word.
struct FileState {
    LONGLONG creation = 0;
    LONGLONG write = 0;
    LONGLONG access = 0;
    DWORD attributes = 0;
};

// The parts of a file an apply changes, as bits of JournalEntry::changes.
enum JournalPart : unsigned { kCreationPart = 0x01, kWritePart = 0x02, kAccessPart = 0x04, kAttributePart = 0x08 };

struct JournalEntry {
    std::wstring path;    // where the apply found the file
    std::wstring newPath; // where the apply moved it; empty when it did not
    FileState before;
    FileState after;      // meaningful for the parts in `changes` only
    unsigned changes = 0;
};

// Writes one apply's journal: the first Append replaces the last apply's journal, the later
// ones add to it. Every Append is one write, flushed to the disk before it returns.
class ChangeJournalWriter {
public:
    explicit ChangeJournalWriter(std::wstring path) : m_path(std::move(path)) {}
    ~ChangeJournalWriter() { Close(); }
    ChangeJournalWriter(const ChangeJournalWriter&) = delete;
    ChangeJournalWriter& operator=(const ChangeJournalWriter&) = delete;

    // False (with the system's error) when the entries are not on the disk.
    bool Append(const std::vector<JournalEntry>& entries, DWORD* error);
    // Removes the journal this writer began (the apply changed nothing after all).
    void Discard();
    void Close();
    bool Begun() const { return m_file != INVALID_HANDLE_VALUE; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

enum class JournalReading { read, missing, unreadable };

// Reads the journal at `path`. Unreadable (with the reason in `problem`) when it is cut
// short, damaged, or written by another version of the program.
JournalReading ReadChangeJournal(const std::wstring& path, std::vector<JournalEntry>* entries, std::wstring* problem);

// One entry as its journal line (without the line break), and back; false when `line` is
// no entry.
std::wstring FormatJournalLine(const JournalEntry& entry);
bool ParseJournalLine(const std::wstring& line, JournalEntry* entry);

// %LOCALAPPDATA%\tavolin\Kalendrix\UndoJournal.txt; empty when the system names no such
// folder.
std::wstring DefaultJournalPath();
