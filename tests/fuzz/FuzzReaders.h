// The readers of dates as the fuzz targets and the corpus replay call them: each takes any
// bytes and must return.
#pragma once

#include "sources/SourceDate.h"

#include <cstddef>
#include <cstdint>

struct FuzzReader {
    const char* name; // the fuzz target's and its corpus folder's
    SourceDate (*read)(const std::uint8_t* data, std::size_t size);
};

extern const FuzzReader kFuzzReaders[];
extern const std::size_t kFuzzReaderCount;

// The reader of that name; null where there is none.
const FuzzReader* FindFuzzReader(const char* name);
