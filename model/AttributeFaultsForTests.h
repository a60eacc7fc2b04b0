// A failure the tests cannot have from the file systems they run on: a file system that
// takes a file's stamps and refuses its flags.
#pragma once

#include <windows.h>

// The next `count` settings of an attribute word on a handle (SetAttributes) fail with
// `error`; 0 for none. Set from a test only, while no other write runs.
void FailAttributeSettingsForTests(unsigned count, DWORD error);
