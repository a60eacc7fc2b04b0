// Whether the name and extension the user typed make a name a file may be given: they
// become one part of a path, so nothing in them may lead elsewhere or be dropped.
#pragma once

#include <string>

// Empty when `name` "." `extension` (no dot for an empty extension) is a name Windows
// gives a file as it stands; otherwise the reason, as the user is told it.
std::wstring NewNameProblem(const std::wstring& name, const std::wstring& extension);
