// Every input that fuzzing kept (tests/fuzz/corpus), and every cut of the samples the tests
// build, read by every reader under AddressSanitizer and UndefinedBehaviorSanitizer: each
// returns, and a fault stops the program.
#include "fuzz/FuzzReaders.h"
#include "sources/SampleFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(CorpusReplay, EveryKeptInputGoesThroughEveryReader)
{
    std::size_t inputs = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(KALENDRIX_CORPUS)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(file)), {});
        for (std::size_t i = 0; i < kFuzzReaderCount; ++i)
            kFuzzReaders[i].read(bytes.data(), bytes.size());
        ++inputs;
    }
    // A corpus that went missing would pass unread.
    EXPECT_GT(inputs, 0u) << KALENDRIX_CORPUS;
}

TEST(CorpusReplay, EveryCutOfEverySampleGoesThroughEveryReader)
{
    const Bytes tiff = TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}},
                                {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "123"}, {0x9011, "+01:00"}});
    const Bytes samples[] = {
        JpegWith(tiff),
        PngWith(tiff),
        WebpWith(tiff),
        HeifWith(tiff),
        Cr3With(tiff, tiff),
        MovieWith("qt  ", 1, 3793450953ULL, "2024-03-15T14:22:33+0100"),
    };
    for (const Bytes& sample : samples) {
        for (std::size_t size = 0; size <= sample.size(); ++size) {
            // A copy of exactly that size, so that the sanitizer sees any read past it.
            const Bytes cut(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(size));
            for (std::size_t i = 0; i < kFuzzReaderCount; ++i)
                kFuzzReaders[i].read(cut.data(), cut.size());
        }
    }
}
