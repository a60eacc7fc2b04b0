// The journal's text, apart from any file: an entry as its line and back, the journal's
// first lines, and a group's closing line with its count and checksum.
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
//
// The first version (before files had identities and groups their closing lines) has no
// identity fields, no start line and no groups: every whole line is a file or a comment.
#pragma once

#include "ChangeJournal.h"

#include <windows.h>
#include <string>
#include <vector>

// The longest line an entry can make: two paths of 32 767 UTF-16 units, at most three
// bytes of UTF-8 each, and the other fields, with room to spare. A longer line is damage.
constexpr size_t kLongestJournalLine = 256 * 1024;

// The line break that ends every line, the closing line of a group included.
extern const char kJournalLineBreak[];

// One entry as its line (without the line break), and back; false when `line` is no entry.
std::wstring FormatJournalLine(const JournalEntry& entry);
bool ParseJournalLine(const std::wstring& line, JournalEntry* entry);
// A line of the first version; false when it is no entry.
bool ParseFirstVersionLine(const std::wstring& line, JournalEntry* entry);
// A comment line (the column names).
bool IsJournalComment(const std::wstring& line);

// The bytes a new journal starts with: the byte order mark, the header, the column comment
// and the moment the apply began (UTC).
std::string JournalHeadBytes(const FILETIME& began);

// What a journal's first line (its bytes, without the line break) says of its format.
enum class JournalVersion { damaged, first, second, another };
JournalVersion VersionOfHeader(const std::string& firstLine);

// The third line of a journal of the second version: when the apply began (UTC).
bool ParseBeganLine(const std::wstring& line, FILETIME* began);

// A group's lines, each with its line break, and its closing line: the number of lines and
// the CRC-32 of their bytes.
std::string GroupBytes(const std::vector<JournalEntry>& entries);
// A group's closing line: its count of lines and the CRC-32 of their bytes.
bool ParseGroupEnd(const std::wstring& line, size_t* count, DWORD* crc);
// CRC-32 (the polynomial of zip and PNG), continued over several pieces: start from 0.
DWORD Crc32(DWORD crc, const char* bytes, size_t size);

// A line's bytes as text; false when they are no UTF-8. A surrogate without its partner,
// which a Windows name may hold, is written and read in the three bytes UTF-8 would give it
// as a character (a pair so written has two readings and is refused).
bool TextOfUtf8(const std::string& bytes, std::wstring* text);
