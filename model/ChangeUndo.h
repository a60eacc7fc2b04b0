// Putting back what the last apply changed, from its journal.
#pragma once

#include "ChangeJournal.h"
#include "WriteFailure.h"

#include <string>
#include <utility>
#include <vector>

struct UndoOutcome {
    // Files not put back, each with the reason. Files the apply never reached, or that are
    // back as they were, are not among them: there was nothing to put back.
    std::vector<WriteFailure> left;
    // Files moved back to their old names: (from, to).
    std::vector<std::pair<std::wstring, std::wstring>> moves;
};

// Puts every file of `entries` back as it was before the apply, where it still holds what
// the apply wrote. A file changed since, missing, or in use is left as it is and named.
UndoOutcome UndoChanges(const std::vector<JournalEntry>& entries);
