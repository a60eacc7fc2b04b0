// A failure the tests cannot have from the file systems they run on: a network share that
// drops while a folder is listed.
#pragma once

#include <windows.h>

// The next `count` steps of a walk's folder listings (FindNextFileW) fail with `error`; 0
// for none. Set from a test only, while no other reading runs.
void FailListingStepsForTests(unsigned count, DWORD error);
