// Putting back what the last apply changed, from its journal.
#pragma once

#include "../framework/WorkProgress.h"
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
    // Stopped when asked before the last entry: the entries not reached are not among
    // `left`, and the journal is still needed for them.
    bool cancelled = false;
};

// Puts every file of `entries` back as it was before the apply, where it still holds what
// the apply wrote. A file changed since, missing, or in use is left as it is and named.
// With `progress`, counts the entries done of the entries in all, and when cancelled stops
// after the entry at hand.
UndoOutcome UndoChanges(const std::vector<JournalEntry>& entries, WorkProgress* progress = nullptr);
