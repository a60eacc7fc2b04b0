#include "ContainerDates.h"

#include "ExifDate.h"

namespace {

const std::uint8_t kStartOfScan = 0xDA;
const std::uint8_t kEndOfImage = 0xD9;
const std::uint8_t kApp1 = 0xE1;
const char kExifHeader[] = {'E', 'x', 'i', 'f', '\0'};
// "Exif\0" and one more byte (a NUL, or 0xFF from some writers) come before the TIFF header.
const std::uint64_t kExifHeaderSize = 6;
// Far more segments and fill bytes than a photo has before its image data: a file of
// nothing else is given up on rather than walked to its end.
const int kMostSteps = 100000;

// Markers that stand alone, without a length: TEM, RST0..7, SOI.
bool StandsAlone(std::uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

} // namespace

SourceDate ReadJpegDate(const ByteRange& file)
{
    bool sawExif = false;
    SourceDate found = SourceDate::None(NoDateReason::noDate);
    // Every step moves on by at least one byte.
    std::uint64_t at = 2;
    for (int step = 0; step < kMostSteps; ++step) {
        std::uint8_t marker[2];
        if (!file.Read(at, marker, 2) || marker[0] != 0xFF)
            return sawExif ? found : SourceDate::None(NoDateReason::damaged);
        if (marker[1] == 0xFF) {
            ++at; // a fill byte
            continue;
        }
        if (StandsAlone(marker[1])) {
            at += 2;
            continue;
        }
        if (marker[1] == kStartOfScan || marker[1] == kEndOfImage)
            return found;
        std::uint16_t length = 0;
        if (!file.U16(at + 2, ByteOrder::bigEndian, &length) || length < 2)
            return sawExif ? found : SourceDate::None(NoDateReason::damaged);
        ByteRange tiff;
        if (!sawExif && marker[1] == kApp1 && length >= 2 + kExifHeaderSize &&
            file.Matches(at + 4, kExifHeader, sizeof kExifHeader) &&
            file.Part(at + 4 + kExifHeaderSize, length - 2 - kExifHeaderSize, &tiff)) {
            sawExif = true;
            found = ReadExifDate(tiff);
            if (found.Found())
                return found;
        }
        at += 2 + std::uint64_t{length};
    }
    return sawExif ? found : SourceDate::None(NoDateReason::damaged);
}
