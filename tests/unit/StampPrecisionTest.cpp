// Whether a file still holds what was written to it, judged within what its file system keeps.
#include "model/StampPrecision.h"

#include <gtest/gtest.h>

namespace {

constexpr LONGLONG kSecond = 10000000LL;
constexpr LONGLONG kHour = 3600 * kSecond;
constexpr LONGLONG kWritten = 132000000001234567LL; // a stamp with a fraction of a second

struct PrecisionCase {
    const char* what;
    const wchar_t* fileSystem;
    int stamp; // 0 creation, 1 write, 2 access
    LONGLONG held;
    bool holds;
};

const PrecisionCase kCases[] = {
    // NTFS and the others keep the 100 ns they are given.
    {"NTFS exact", L"NTFS", 1, kWritten, true},
    {"NTFS one tick off", L"NTFS", 1, kWritten + 1, false},
    {"NTFS access a second later", L"NTFS", 2, kWritten + kSecond, false},
    // FAT: the last write to 2 s, either way it rounds; the last access to the local day.
    {"FAT write rounded down", L"FAT32", 1, kWritten - 1234567, true},
    {"FAT write rounded up", L"FAT32", 1, kWritten + 2 * kSecond - 1234568, true},
    {"FAT write another second pair", L"FAT32", 1, kWritten + 3 * kSecond, false},
    {"FAT access cut to the day", L"FAT", 2, kWritten - 15 * kHour, true},
    {"FAT access cut on a day of 25 h", L"FAT16", 2, kWritten - 24 * kHour - 30 * 60 * kSecond, true},
    {"FAT access two days before", L"FAT32", 2, kWritten - 48 * kHour, false},
    {"FAT creation to 10 ms", L"FAT32", 0, kWritten + 99999, true},
    {"FAT creation a second off", L"FAT32", 0, kWritten + kSecond, false},
    // exFAT: creation and write to 10 ms, access to 2 s.
    {"exFAT write to 10 ms", L"exFAT", 1, kWritten - 4567, true},
    {"exFAT write 2 s off", L"exFAT", 1, kWritten - 2 * kSecond, false},
    {"exFAT access to 2 s", L"exFAT", 2, kWritten + kSecond, true},
};

} // namespace

TEST(StampPrecision, StampIsJudgedWithinWhatItsFileSystemKeeps)
{
    for (const PrecisionCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const StampPrecision precision = PrecisionOfFileSystem(c.fileSystem);
        const LONGLONG steps[] = {precision.creation, precision.write, precision.access};
        EXPECT_EQ(HoldsWithin(c.held, kWritten, steps[c.stamp]), c.holds);
    }
}
