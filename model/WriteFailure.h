// A file that a write or an undo did not change fully.
#pragma once

#include <string>

struct WriteFailure {
    std::wstring path;
    std::wstring detail; // the failed step and its reason, or the reason alone
};
