// Telling the user which files a write or an undo could not change: a message box of at
// most 30 lines, and the whole list in a text file beside the journal.
#pragma once

#include "../model/WriteFailure.h"

#include <windows.h>
#include <string>
#include <vector>

// The lines of a message box that names failed files: at most 30, then how many more and
// the text file beside the journal (or in the temporary folder) that lists them all, which
// is written at every call.
std::wstring FailureListText(const std::vector<WriteFailure>& failures, const std::wstring& journalPath);

// The files a write could not change in one error box owned by `owner`, so that the owner
// takes no input while the list is shown; nothing when there are none.
void ShowWriteFailures(HWND owner, const std::vector<WriteFailure>& failures, const std::wstring& journalPath);

// The files an apply left as they were since they had no time to take ("ファイルから"), in
// one information box owned by `owner`: at most 30, then how many more; nothing when none.
void ShowFilesLeftAlone(HWND owner, const std::vector<WriteFailure>& left);
