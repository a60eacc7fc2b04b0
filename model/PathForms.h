// The forms a chosen path takes: absolute once, when it is chosen, and the form the file
// system's calls take, which holds paths of any length the file system holds.
#pragma once

#include <string>

// The full path of `path` as the system resolves it against the working folder now, of
// any length; `path` itself when the system cannot resolve it.
std::wstring AbsolutePath(const std::wstring& path);
// The same; false when the system cannot resolve it.
bool TryAbsolutePath(const std::wstring& path, std::wstring* full);

// An absolute path as the file calls take it: from MAX_PATH units on in the extended form
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), which those calls take whole, without the
// classic limit. A path that is already extended, or not absolute, stays as it is.
std::wstring ApiPath(const std::wstring& absolutePath);

// A path as the user reads it: the extended prefix taken off where the rest is a drive or
// network path (as GetFinalPathNameByHandleW gives them).
std::wstring DisplayPath(const std::wstring& path);
