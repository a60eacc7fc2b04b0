// A file that a write or an undo did not change fully.
#pragma once

#include <string>

struct WriteFailure {
    std::wstring path;
    std::wstring detail; // the failed step and the system's reason; empty: the file could not be opened for writing at all
};
