// A choice of files read from disk into a file set of its own: what a reading builds (on
// the worker for a large choice) and the choice then takes over whole.
#pragma once

#include "FileSet.h"

#include <string>
#include <vector>

struct ChoiceReading {
    // The paths as chosen; the reading makes them absolute against the working folder.
    std::vector<std::wstring> chosen;
    // The items to read again where the choice holds a walk already; empty: the chosen paths.
    std::vector<std::wstring> items;
    // Take in everything below the chosen folders (when `items` is empty); after the reading,
    // whether it did.
    bool walk = false;
    // The result: every item with its state, and whether it holds a walk of the choice.
    FileSet files;
    bool walked = false;
};

// Reads `reading` (see FileSet::ReadStates for the progress); a stop keeps what was read,
// and the items not reached say so.
void ReadChoice(ChoiceReading& reading, const FileSet::Progress& progress = FileSet::Progress());
