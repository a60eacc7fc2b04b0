// Reading and setting a file's stamps and attribute flags on one handle, as a write and an
// undo both do.
#pragma once

#include <windows.h>
#include <string>

// The flags the four attribute boxes set.
constexpr DWORD kBoxFlags = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE;

// The attribute word a file gets: its own flags that a program can set besides the four
// (not content indexed, temporary, offline, ...) and the four of `boxes`.
DWORD MergedAttributes(DWORD current, DWORD boxes);

// Opens a file to read and set its stamps and attributes: without sharing, so that a file
// in use is refused and none can open it until the change is done. Windows grants this on
// a read-only file; Wine refuses it (ERROR_ACCESS_DENIED).
HANDLE OpenForStateChange(const std::wstring& path);

// A FILETIME as the 100-ns count that FILE_BASIC_INFO holds.
LARGE_INTEGER AsStamp(const FILETIME& time);

bool ReadBasicInfo(HANDLE file, FILE_BASIC_INFO* info);
// The state of a file read by its path, in the form ReadBasicInfo gives it.
bool ReadBasicInfoByPath(const std::wstring& path, FILE_BASIC_INFO* info);
// Sets the non-zero stamps and the attribute word of `change` (zero: left as it is).
bool SetBasicInfo(HANDLE file, FILE_BASIC_INFO change);
// Gives the file the attribute word, read-only last: some file systems drop hidden and
// system when they are set together with it, or on a file that already has it (Wine does).
bool SetAttributes(HANDLE file, DWORD word);
// The same by path.
bool SetAttributesByPath(const std::wstring& path, DWORD word);

// "<step>（<the system's reason>）" into `detail`; false, for returning it.
bool Fail(std::wstring* detail, const wchar_t* step, DWORD error);
