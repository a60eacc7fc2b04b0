// How finely a file system keeps each stamp, so that an undo can tell whether a file still
// holds what the apply wrote to it: FAT keeps the last write to 2 s and the last access to
// the local day, exFAT the last access to 2 s; NTFS and the others keep the 100 ns given.
#pragma once

#include <windows.h>

// Each stamp's step in 100-ns units; 1: kept exactly.
struct StampPrecision {
    LONGLONG creation = 1;
    LONGLONG write = 1;
    LONGLONG access = 1;
};

// The precision of the file system of this name ("NTFS", "FAT32", "exFAT", ...).
StampPrecision PrecisionOfFileSystem(const wchar_t* name);

// True when a stamp read as `held` is what a file system keeping steps of `precision`
// makes of `written`: within one step of it either way (rounded or cut off); a stamp kept
// to the day may also lie up to the day's change of daylight saving time away.
bool HoldsWithin(LONGLONG held, LONGLONG written, LONGLONG precision);

// The precision of the file system of the volume an open file lies on; exact when the
// system does not say.
StampPrecision PrecisionOfVolume(HANDLE file);
