#include "model/SizeText.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    ULONGLONG size;
    const wchar_t* text;
};

const SizeCase kSizeCases[] = {
    {0, L"0.0KB(0バイト)"},
    {1, L"0.0KB(1バイト)"},
    {1023, L"1.0KB(1023バイト)"},
    {1536, L"1.5KB(1536バイト)"},
    {1024ULL * 1024, L"1024.0KB(1048576バイト)"},
    // Past 4 GiB the count needs all 64 bits, not its low 32.
    {5ULL << 30, L"5242880.0KB(5368709120バイト)"},
    {0xFFFFFFFFULL + 1, L"4194304.0KB(4294967296バイト)"},
};

} // namespace

TEST(SizeText, ShowsKilobytesWithOneDecimalAndTheWholeByteCount)
{
    for (const SizeCase& c : kSizeCases)
        EXPECT_EQ(SizeText(c.size), c.text) << "size " << c.size;
}
