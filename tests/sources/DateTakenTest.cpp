#include "sources/DateTaken.h"

#include "SampleFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const char* ReasonName(NoDateReason reason)
{
    switch (reason) {
    case NoDateReason::unknownFormat: return "unknown format";
    case NoDateReason::noDate: return "no date";
    case NoDateReason::impossibleDate: return "impossible date";
    case NoDateReason::damaged: return "damaged";
    case NoDateReason::unreadable: return "unreadable";
    }
    return "?";
}

// "wall 2024-03-15 14:22:33.1230000", "utc 2024-03-15 13:22:33.1230000" or the reason.
std::string Reading(const SourceDate& date)
{
    char text[64];
    switch (date.kind) {
    case SourceDate::Kind::none:
        return ReasonName(date.reason);
    case SourceDate::Kind::wallTime:
        std::snprintf(text, sizeof text, "wall %04d-%02d-%02d %02d:%02d:%02d.%07u", date.wall.year, date.wall.month,
                      date.wall.day, date.wall.hour, date.wall.minute, date.wall.second, date.wall.ticks);
        return text;
    case SourceDate::Kind::instant: {
        FILETIME stamp;
        stamp.dwLowDateTime = static_cast<DWORD>(date.utcTicks);
        stamp.dwHighDateTime = static_cast<DWORD>(date.utcTicks >> 32);
        SYSTEMTIME utc = {};
        FileTimeToSystemTime(&stamp, &utc);
        std::snprintf(text, sizeof text, "utc %04d-%02d-%02d %02d:%02d:%02d.%07u", utc.wYear, utc.wMonth, utc.wDay,
                      utc.wHour, utc.wMinute, utc.wSecond, static_cast<unsigned>(date.utcTicks % 10000000));
        return text;
    }
    }
    return "?";
}

std::string ReadingOf(const Bytes& bytes)
{
    MemoryByteSource source(bytes.data(), bytes.size());
    return Reading(ReadDateTaken(source));
}

Bytes WithMagic(Bytes bytes, const char* magic)
{
    std::copy(magic, magic + 4, bytes.begin());
    return bytes;
}

const char* const kOriginal = "2024:03:15 14:22:33";
const std::uint64_t kMarch2024Since1904 = 3793450953ULL; // 2024-03-16 16:22:33 UTC

} // namespace

TEST(DateTaken, TakesTheOriginalThenTheDigitizedThenIfd0sDateWithTheirOwnPartsOfASecondAndOffsets)
{
    const struct {
        const char* what;
        std::vector<TextEntry> ifd0;
        std::vector<TextEntry> exif;
        const char* reading;
    } cases[] = {
        {"original alone", {}, {{0x9003, kOriginal}}, "wall 2024-03-15 14:22:33.0000000"},
        {"original over the others", {{0x0132, "2022:01:01 00:00:00"}}, {{0x9003, kOriginal}, {0x9004, "2023:01:01 00:00:00"}},
         "wall 2024-03-15 14:22:33.0000000"},
        {"original's own parts", {{0x9010, "+05:00"}}, {{0x9003, kOriginal}, {0x9291, "123"}, {0x9011, "+01:00"}, {0x9292, "9"}},
         "utc 2024-03-15 13:22:33.1230000"},
        {"digitized", {{0x0132, "2022:01:01 00:00:00"}}, {{0x9004, "2023:12:31 23:59:59"}, {0x9292, "5"}, {0x9012, "-03:30"}},
         "utc 2024-01-01 03:29:59.5000000"},
        {"IFD0's", {{0x0132, "2022:06:01 08:00:00"}}, {{0x9290, "25"}, {0x9010, "+09:00"}}, "utc 2022-05-31 23:00:00.2500000"},
        {"sub-seconds to 100 ns", {}, {{0x9003, kOriginal}, {0x9291, "123456789"}}, "wall 2024-03-15 14:22:33.1234567"},
        {"sub-seconds padded", {}, {{0x9003, kOriginal}, {0x9291, "05  "}}, "wall 2024-03-15 14:22:33.0500000"},
        {"blank offset", {}, {{0x9003, kOriginal}, {0x9011, "   :  "}}, "wall 2024-03-15 14:22:33.0000000"},
        {"blank original", {}, {{0x9003, "    :  :     :  :  "}, {0x9004, "2023:12:31 23:59:59"}}, "wall 2023-12-31 23:59:59.0000000"},
        {"zero original", {{0x0132, "2022:01:01 00:00:00"}}, {{0x9003, "0000:00:00 00:00:00"}}, "wall 2022-01-01 00:00:00.0000000"},
        {"impossible original", {{0x0132, "2022:01:01 00:00:00"}}, {{0x9003, "2024:02:30 14:22:33"}}, "wall 2022-01-01 00:00:00.0000000"},
        {"impossible alone", {}, {{0x9003, "2024:13:01 24:00:00"}}, "impossible date"},
        {"no date", {{0x010F, "Camera"}}, {{0x9291, "123"}}, "no date"},
        {"short texts in their entries", {}, {{0x9003, kOriginal}, {0x9291, "12"}}, "wall 2024-03-15 14:22:33.1200000"},
    };
    for (const auto& c : cases) {
        for (bool bigEndian : {false, true})
            EXPECT_EQ(ReadingOf(TiffWith(bigEndian, c.ifd0, c.exif)), c.reading) << c.what << (bigEndian ? ", MM" : ", II");
    }
}

TEST(DateTaken, ReadsEveryKindOfFileByItsFirstBytes)
{
    const Bytes tiff = TiffWith(false, {}, {{0x9003, kOriginal}, {0x9291, "5"}});
    const char* const photo = "wall 2024-03-15 14:22:33.5000000";
    Bytes jpegAfterOtherSegments = JpegWith(tiff);
    // Fill bytes and an APP2 segment before the Exif one.
    jpegAfterOtherSegments.insert(jpegAfterOtherSegments.begin() + 2, {0xFF, 0xFF, 0xFF, 0xE2, 0x00, 0x04, 0x00, 0x00});
    Bytes oldQuickTime = MovieWith("qt  ", 0, kMarch2024Since1904);
    oldQuickTime.erase(oldQuickTime.begin(), oldQuickTime.begin() + 20); // no file type box
    const struct {
        const char* what;
        Bytes bytes;
        const char* reading;
    } cases[] = {
        {"JPEG", JpegWith(tiff), photo},
        {"JPEG, Exif after other segments", jpegAfterOtherSegments, photo},
        {"TIFF", tiff, photo},
        {"ORF", WithMagic(tiff, "IIRO"), photo},
        {"ORF, big-endian", WithMagic(TiffWith(true, {}, {{0x9003, kOriginal}, {0x9291, "5"}}), "MMOR"), photo},
        {"RW2", WithMagic(tiff, "IIU\0"), photo},
        {"PNG", PngWith(tiff), photo},
        {"WebP", WebpWith(tiff), photo},
        {"HEIC", HeifWith(tiff), photo},
        {"CR3", Cr3With(TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}}), TiffWith(false, {{0x9003, kOriginal}, {0x9291, "5"}})),
         photo},
        {"CR3, IFD0's date", Cr3With(TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}}), TiffWith(false, {})),
         "wall 2022-01-01 00:00:00.0000000"},
        {"MOV, header", MovieWith("qt  ", 0, kMarch2024Since1904), "utc 2024-03-16 16:22:33.0000000"},
        {"MP4, 64-bit header", MovieWith("isom", 1, kMarch2024Since1904 + 86400ULL * 365 * 1000), "utc 3023-07-18 16:22:33.0000000"},
        {"M4V", MovieWith("M4V ", 0, kMarch2024Since1904), "utc 2024-03-16 16:22:33.0000000"},
        {"3GP", MovieWith("3gp4", 0, kMarch2024Since1904), "utc 2024-03-16 16:22:33.0000000"},
        {"QuickTime without a file type box", oldQuickTime, "utc 2024-03-16 16:22:33.0000000"},
        {"Apple's date over the header", MovieWith("qt  ", 0, kMarch2024Since1904, "2024-03-15T14:22:33+0100"),
         "utc 2024-03-15 13:22:33.0000000"},
        {"Apple's date with a fraction", MovieWith("isom", 0, 0, "2024-03-15T14:22:33.25-08:00"), "utc 2024-03-15 22:22:33.2500000"},
        {"Apple's date without an offset", MovieWith("isom", 0, 0, "2024-03-15T14:22:33"), "wall 2024-03-15 14:22:33.0000000"},
        {"Apple's date impossible: the header's", MovieWith("qt  ", 0, kMarch2024Since1904, "2024-02-30T14:22:33+0100"),
         "utc 2024-03-16 16:22:33.0000000"},
        {"a header that was never set", MovieWith("isom", 0, 0), "no date"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingOf(c.bytes), c.reading) << c.what;
}

TEST(DateTaken, BrokenAndHostileFilesGiveNoDateAndTheirReason)
{
    const Bytes tiff = TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}}, {{0x9003, kOriginal}});
    const std::size_t exifPointer = 8 + 2 + 12 + 8; // IFD0: its date, then the pointer
    auto patched = [](Bytes bytes, std::size_t at, std::uint64_t value, int size) {
        PutLittle(&bytes, at, value, size);
        return bytes;
    };
    auto cut = [](const Bytes& bytes, std::size_t size) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)); };
    const Bytes jpeg = JpegWith(tiff);
    const Bytes heif = HeifWith(tiff);
    Bytes boxTooSmall = MovieWith("isom", 0, kMarch2024Since1904);
    PutBig(&boxTooSmall, 20, 7, 4); // the movie box says it is 7 bytes long
    Bytes hugeLargeSize = MovieWith("isom", 0, kMarch2024Since1904);
    PutBig(&hugeLargeSize, 20, 1, 4);
    hugeLargeSize.insert(hugeLargeSize.begin() + 28, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    const struct {
        const char* what;
        Bytes bytes;
        const char* reading;
    } cases[] = {
        {"empty", {}, "unknown format"},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}, "unknown format"},
        {"TIFF header alone", cut(tiff, 8), "damaged"},
        {"Exif IFD is IFD0", patched(tiff, exifPointer, 8, 4), "wall 2022-01-01 00:00:00.0000000"},
        {"Exif IFD past the end", patched(tiff, exifPointer, 0xFFFFFFF0, 4), "wall 2022-01-01 00:00:00.0000000"},
        {"IFD0 past the end", patched(tiff, 4, 0xFFFFFFFF, 4), "damaged"},
        {"entry count past the end", patched(tiff, 8, 0xFFFF, 2), "damaged"},
        {"text count past the end", patched(tiff, 8 + 2 + 4, 0xFFFFFFFF, 4), "wall 2024-03-15 14:22:33.0000000"},
        {"JPEG cut in its Exif", cut(jpeg, 40), "damaged"},
        {"JPEG cut after its Exif", cut(jpeg, jpeg.size() - 3), "wall 2024-03-15 14:22:33.0000000"},
        {"JPEG of fill bytes", [] { Bytes b(200000, 0xFF); b[1] = 0xD8; return b; }(), "damaged"},
        {"JPEG segment shorter than its length", patched(cut(jpeg, 24), 4, 0, 2), "damaged"},
        {"PNG cut", cut(PngWith(tiff), 40), "damaged"},
        {"WebP chunk past the end", patched(WebpWith(tiff), 34, 0x7FFFFFF0, 4), "damaged"},
        {"HEIF cut", cut(heif, heif.size() - 30), "damaged"},
        {"HEIF without its meta box", cut(heif, 24), "no date"},
        {"box shorter than its header", boxTooSmall, "damaged"},
        {"box of an exabyte", hugeLargeSize, "damaged"},
        {"movie cut in its header", cut(MovieWith("isom", 1, kMarch2024Since1904), 60), "damaged"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingOf(c.bytes), c.reading) << c.what;
}
