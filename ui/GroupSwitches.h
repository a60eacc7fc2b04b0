// The four group switches: each enables its controls and is remembered per user.
#pragma once

#include "DialogControls.h"

#include <windows.h>

// The value stored for a switch by an earlier run.
UINT StoredSwitch(SwitchGroupIndex group);
// Only a stored 1 turns a switch on; otherwise its controls keep their state. A restored
// switch writes nothing by itself: its group is written only once the user acts on it.
void RestoreSwitch(HWND dialog, SwitchGroupIndex group, UINT storedValue);
// The user ticked or cleared a switch: it is stored, and its controls follow it.
void SwitchClicked(HWND dialog, SwitchGroupIndex group);
