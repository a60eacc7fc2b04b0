// A file stamp as the user reads it in a list: local date and time to the second, in the
// user's own date and time format.
#pragma once

#include <windows.h>
#include <string>

// Empty for a stamp of 0 (none); a stamp local time cannot show (before 1970, after 3000)
// is given in UTC, so marked.
std::wstring LocalStampText(LONGLONG stamp);
