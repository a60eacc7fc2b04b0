// The date taken in an Exif (TIFF) structure: the original date with its sub-second and
// offset, else the digitized date with its own, else IFD0's date and time with its own.
#pragma once

#include "ByteRange.h"
#include "SourceDate.h"

// `tiff` starts at the byte-order mark: "II*\0", "MM\0*", or a raw format's own
// ("IIRO", "IIRS", "MMOR", "IIU\0"); its offsets count from there.
SourceDate ReadExifDate(const ByteRange& tiff);

// Canon's CR3 keeps IFD0 and the Exif IFD as TIFF structures of their own, each IFD the
// first of its structure; either may be missing (null).
SourceDate ReadExifDate(const ByteRange* ifd0Tiff, const ByteRange* exifTiff);
