// Reading and setting a file's stamps and attribute flags on one handle, as a write and an
// undo both do: the one open, the one read of what a file holds and who it is, and the one
// change of its state.
#pragma once

#include "../framework/UniqueHandle.h"
#include "FileState.h"
#include "VolumeSerials.h"

#include <windows.h>
#include <string>

// The flags the four attribute boxes set.
constexpr DWORD kBoxFlags = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE;

// The attribute word a file gets: its own flags that a program can set besides the four
// (not content indexed, temporary, offline, ...) and the four of `boxes`.
DWORD MergedAttributes(DWORD current, DWORD boxes);

// A FILETIME as the 100-ns count that FILE_BASIC_INFO holds, and back.
LARGE_INTEGER AsStamp(const FILETIME& time);
FILETIME AsFileTime(LONGLONG stamp);

// One file opened for a change of its state, with what it held when it was opened. Links
// are followed: the state, the identity and the final path are those of the file a link
// points to, which is what a user who chose the link means.
struct FileForChange {
    UniqueHandle handle;   // not valid while the read-only flag keeps it shut (Wine, below)
    FileState held;
    FileIdentity identity;
    std::wstring finalPath; // the file's own full path, links resolved; empty when not known
    // Wine refuses the open on a read-only file that Windows grants: the state and identity
    // were read on a handle that only reads, and a change that clears the flag must go
    // through ReopenClearingReadOnly first.
    bool shutByReadOnly = false;
};

// Opens `path` (in the form ApiPath gives) without sharing, so that a file in use is
// refused and nobody can open it until the change is done, and reads its state, identity
// and final path on that handle. A folder is opened with backup semantics, for its
// attributes only and shared (see OpenFolderForChange). False with the system's error.
bool OpenForChange(const std::wstring& path, FileForChange* file, DWORD* error, VolumeSerials* volumes = nullptr);

// The error a change reports when the file at a path is no longer the one that was opened.
constexpr DWORD kReplacedFileError = ERROR_FILE_INVALID;

// Wine only (shutByReadOnly): clears the read-only flag by path, opens the file for the
// change and makes sure it is still the same file; on failure the flag is set again.
bool ReopenClearingReadOnly(const std::wstring& path, FileForChange* file, DWORD* error,
                            VolumeSerials* volumes = nullptr);

// The one change of a file's state. Sets the non-zero stamps of `stamps` and, when
// `setAttributes`, the attribute word `word`. A file that is read-only now takes its flags
// first, since nothing else can be set while it stays read-only; any other file takes its
// stamps first and its flags last, so that it never becomes read-only before its stamps are
// set. When the stamps fail after the flags changed, the flags are put back.
enum class FailedStep { none, attributes, stamps };
// How a change of a file's state ended: the step that failed, and whether the file holds
// part of the change all the same (its stamps were set before its flags failed, or the
// flags it took first could not be put back).
struct StateChange {
    FailedStep failed = FailedStep::none;
    bool partlyMade = false;
    DWORD error = ERROR_SUCCESS;
    bool Done() const { return failed == FailedStep::none; }
};
StateChange SetFileState(FileForChange& file, const FileState& stamps, bool setAttributes, DWORD word);

// What a failed change tells the user: "日時を変更できませんでした（…）", or where part of it
// was made, "日時は変更しましたが、属性を変更できませんでした（…）"; an undo's in its own words.
std::wstring StateChangeText(const StateChange& change, bool undoing);

// What an open file holds now, stamps and flags, as they read back after a change: a file
// system may keep a stamp otherwise than asked (FAT: the last write to 2 s, the last access
// to the day, in local time).
bool ReadBack(HANDLE file, FileState* state);

// Gives the file the attribute word, read-only last: some file systems drop hidden and
// system when they are set together with it, or on a file that already has it (Wine does).
bool SetAttributes(HANDLE file, DWORD word);
bool SetAttributesByPath(const std::wstring& path, DWORD word);

// What a file holds, read by its path, following links as OpenForChange does.
bool ReadStateByPath(const std::wstring& path, FileState* state);
bool ReadAttributeData(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA* data);

// Which file a path names now (through any link), read on a handle that shares with all.
bool ReadIdentityByPath(const std::wstring& path, FileIdentity* identity);
// The same with what the file holds, on a handle that reads attributes only and shares
// with all, so that a file another program holds open (an indexer, a virus scanner) is read
// too; false with the system's error.
bool ReadHeldByPath(const std::wstring& path, FileState* state, FileIdentity* identity, DWORD* error);

// Why a file could not be opened or changed, in words a user understands: in use by
// another program, access denied, not found, ...; the system's own text otherwise.
std::wstring ReasonText(DWORD error);

// "<step>（<reason>）" into `detail`; false, for returning it.
bool Fail(std::wstring* detail, const wchar_t* step, DWORD error);
