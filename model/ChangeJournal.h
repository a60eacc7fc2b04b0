// The record of the last apply: written and flushed before the apply changes a file, so
// that an undo can put every file back, also after the program was ended halfway.
//
// A text file in UTF-8 with a byte order mark, readable in an editor: a header line with
// the format's version, a comment line naming the columns, a line with the moment the apply
// began, then the apply's groups. A group is one line a file, its fields separated by tabs
// (no Windows file name holds a tab), and a closing line with the group's count and
// checksum. Every group is on the disk before any file of it changes, so a group without
// its closing line (the program ended while writing it) names only files that did not
// change, and is passed over when the journal is read.
//
// A file's fields: path, new path (empty: not moved), volume serial number and file ID (the
// file's identity), then before and after of the creation, last-write and last-access
// stamps (UTC, to the 100 ns the file system keeps), then before and after of the attribute
// word (hex). An after field of "-" is a part the apply left.
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

// The parts of a file an apply changes, as bits of JournalEntry::changes.
enum JournalPart : unsigned { kCreationPart = 0x01, kWritePart = 0x02, kAccessPart = 0x04, kAttributePart = 0x08 };

struct JournalEntry {
    std::wstring path;    // the file's full path when the apply found it (through any link)
    std::wstring newPath; // where the apply moved it; empty when it did not
    FileIdentity identity;
    FileState before;
    FileState after;      // meaningful for the parts in `changes` only
    unsigned changes = 0;
};

// Writes one apply's journal. The first group goes to a new file beside the journal, which
// takes the journal's place (replaced in one step, written through) only once that group is
// on the disk; the previous journal stays aside until Finish. Every later group is appended
// and flushed. Nothing is replaced until the first AppendGroup succeeds: an apply that
// changes nothing, or cannot write its journal, leaves the previous journal as it was.
class ChangeJournalWriter {
public:
    explicit ChangeJournalWriter(std::wstring path);
    // Without Finish (an exception left the apply halfway), files may have changed after
    // the last group was written: the new journal is kept, as by Finish(true).
    ~ChangeJournalWriter();
    ChangeJournalWriter(const ChangeJournalWriter&) = delete;
    ChangeJournalWriter& operator=(const ChangeJournalWriter&) = delete;

    // Writes the group's lines and its closing line in one write and flushes them; for the
    // first group, then puts the new journal in place. False (with the system's error) when
    // the group is not on the disk: the previous journal is then still in place if this was
    // the first group.
    bool AppendGroup(const std::vector<JournalEntry>& entries, DWORD* error);
    // The apply is over. `changedAnything` false: no file was changed after all (a rename
    // that failed, every file refused), and the previous journal takes its place again,
    // exactly as it was, unless another running copy has written a journal meanwhile.
    void Finish(bool changedAnything);
    // True once a group is in place.
    bool Begun() const;
    const std::wstring& Path() const { return m_path; }

private:
    bool Begin(const std::string& group, DWORD* error);
    // A handle to the journal under the name, with delete access, when it is this writer's.
    HANDLE OpenIfOurs() const;
    void Close();

    std::wstring m_path;
    std::wstring m_backup;           // the previous journal, kept aside until Finish
    HANDLE m_file = INVALID_HANDLE_VALUE; // the journal in place, open for appending
    FileIdentity m_identity;         // of the journal this writer put in place
    bool m_hadPrevious = false;
    bool m_begun = false;
    bool m_finished = false;
    FILETIME m_began = {};
};

enum class JournalReading { read, missing, unreadable };

// A journal opened for an undo: read once, and held open so that it can be removed through
// the same handle when nothing is left to undo; a journal that another running copy wrote
// meanwhile under the same name is never removed.
class ChangeJournalFile {
public:
    ChangeJournalFile() = default;
    ~ChangeJournalFile();
    ChangeJournalFile(const ChangeJournalFile&) = delete;
    ChangeJournalFile& operator=(const ChangeJournalFile&) = delete;

    // Reads every whole group. A group cut off at the end (no closing line, a cut-off or
    // unreadable last line) is passed over; damage before it (a bad line in a closed group,
    // a count or checksum that does not match, a line longer than any entry can be) makes
    // the journal unreadable, with the reason in `problem`. Streams the file: an over-long
    // line is refused as soon as it passes the longest entry, not read whole.
    JournalReading Open(const std::wstring& path, std::wstring* problem);
    const std::vector<JournalEntry>& Entries() const { return m_entries; }
    // When the apply began (UTC).
    FILETIME Made() const { return m_made; }
    // Removes the journal through the handle it was read with; false with the system's error.
    bool Remove(DWORD* error);

private:
    std::vector<JournalEntry> m_entries;
    FILETIME m_made = {};
    HANDLE m_file = INVALID_HANDLE_VALUE; // open with delete access, sharing reading and deletion
};

// One entry as its journal line (without the line break), and back; false when `line` is
// no entry.
std::wstring FormatJournalLine(const JournalEntry& entry);
bool ParseJournalLine(const std::wstring& line, JournalEntry* entry);

// %LOCALAPPDATA%\tavolin\Kalendrix\UndoJournal.txt; empty when the system names no such
// folder. The environment variable KALENDRIX_JOURNAL_FOLDER, where set, names the folder
// instead (the tests' own journal, never the user's).
std::wstring DefaultJournalPath();
