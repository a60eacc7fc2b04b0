// The shell's icon of a file at the size the display scale asks for.
#pragma once

#include <windows.h>
#include <string>

// The file's icon from the system's image list of the smallest size that is at least
// `size` pixels (16, 32, 48 and 256 at 96 dpi), so that it is drawn from a real image of
// that size or scaled down, never up; null when the shell has none.
HICON ShellIconOfSize(const std::wstring& path, int size);
