// A file that a write or an undo did not change fully.
#pragma once

#include <string>
#include <vector>

struct WriteFailure {
    std::wstring path;
    std::wstring detail; // the failed step and its reason, or the reason alone
};

// The lines of a message box that names failed files: at most 30, then how many more and
// the text file beside the journal (or in the temporary folder) that lists them all.
std::wstring FailureListText(const std::vector<WriteFailure>& failures, const std::wstring& journalPath);
