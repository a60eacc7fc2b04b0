// The date a photo was taken or a video recorded, read from the file's own bytes. The kind
// of file is told by its first bytes, never by its name.
#pragma once

#include "ByteSource.h"
#include "SourceDate.h"

enum class FileKind { unknown, jpeg, tiff, png, webp, heif, cr3, video };

FileKind KindOfFile(ByteSource& file);

SourceDate ReadDateTaken(ByteSource& file);
