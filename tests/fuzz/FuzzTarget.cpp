// A libFuzzer target for the reader named by KALENDRIX_FUZZ_READER (tools/fuzz).
#include "FuzzReaders.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzReader* reader = FindFuzzReader(KALENDRIX_FUZZ_READER);
    if (reader == nullptr)
        std::abort();
    reader->read(data, size);
    return 0;
}
