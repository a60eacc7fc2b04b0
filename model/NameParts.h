// Splitting a path into folder, base name and extension, and joining them again.
#pragma once

#include <string>

// Text before the last backslash or slash; empty when there is none.
std::wstring FolderOfPath(const std::wstring& path);
// Text after the last backslash or slash, or the whole path.
std::wstring FileNameOfPath(const std::wstring& path);
// File name up to its last dot, or the whole file name.
std::wstring BaseNameOfPath(const std::wstring& path);
// File name after its last dot, or empty.
std::wstring ExtensionOfPath(const std::wstring& path);
// folder "\" name "." extension: no backslash for an empty folder, no dot for an empty extension.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name, const std::wstring& extension);
