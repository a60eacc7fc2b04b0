// The date taken of each kind of file, read from the container that holds it; each takes
// the whole file and is called once its kind is known from its first bytes (DateTaken.h).
#pragma once

#include "ByteRange.h"
#include "SourceDate.h"

// Exif in JPEG's APP1 segment.
SourceDate ReadJpegDate(const ByteRange& file);
// Exif in PNG's eXIf chunk.
SourceDate ReadPngDate(const ByteRange& file);
// Exif in WebP's EXIF chunk.
SourceDate ReadWebpDate(const ByteRange& file);
// Exif as an item of an ISO base media image (HEIC, HEIF, AVIF).
SourceDate ReadHeifDate(const ByteRange& file);
// Exif in the two TIFF structures of Canon's CR3.
SourceDate ReadCr3Date(const ByteRange& file);
// A video's recording date: Apple's creation date, else the movie header's creation time.
SourceDate ReadVideoDate(const ByteRange& file);
