#include "ContainerDates.h"

#include "ExifDate.h"

namespace {

const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
const char kExifPrefix[] = {'E', 'x', 'i', 'f', '\0', '\0'};
// Far more chunks than an image has; a file of nothing else is given up on.
const int kMostChunks = 100000;

bool IsType(const std::uint8_t type[4], const char* expected)
{
    return type[0] == expected[0] && type[1] == expected[1] && type[2] == expected[2] && type[3] == expected[3];
}

} // namespace

SourceDate ReadPngDate(const ByteRange& file)
{
    if (!file.Matches(0, kSignature, sizeof kSignature))
        return SourceDate::None(NoDateReason::unknownFormat);
    // The chunk may stand before or after the image data: the walk goes on to IEND.
    std::uint64_t at = sizeof kSignature;
    for (int chunk = 0; chunk < kMostChunks; ++chunk) {
        std::uint32_t length = 0;
        std::uint8_t type[4];
        if (!file.U32(at, ByteOrder::bigEndian, &length) || !file.Read(at + 4, type, 4))
            return SourceDate::None(NoDateReason::damaged);
        if (IsType(type, "IEND"))
            return SourceDate::None(NoDateReason::noDate);
        ByteRange data;
        if (!file.Part(at + 8, length, &data))
            return SourceDate::None(NoDateReason::damaged);
        if (IsType(type, "eXIf")) {
            // Some writers keep JPEG's header in front of the TIFF structure.
            ByteRange tiff = data;
            if (data.Matches(0, kExifPrefix, sizeof kExifPrefix))
                data.Rest(sizeof kExifPrefix, &tiff);
            return ReadExifDate(tiff);
        }
        at += 12 + std::uint64_t{length};
    }
    return SourceDate::None(NoDateReason::damaged);
}
