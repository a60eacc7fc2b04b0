#include "ContainerDates.h"

#include "ExifDate.h"

namespace {

const char kExifPrefix[] = {'E', 'x', 'i', 'f', '\0', '\0'};
const int kMostChunks = 100000;

} // namespace

SourceDate ReadWebpDate(const ByteRange& file)
{
    std::uint32_t riffSize = 0;
    if (!file.Matches(0, "RIFF", 4) || !file.Matches(8, "WEBP", 4) || !file.U32(4, ByteOrder::littleEndian, &riffSize))
        return SourceDate::None(NoDateReason::unknownFormat);
    // The chunks within what RIFF's size says, or the file where that is cut short.
    ByteRange riff;
    if (!file.Part(8, riffSize, &riff))
        file.Rest(8, &riff);
    std::uint64_t at = 4;
    for (int chunk = 0; chunk < kMostChunks; ++chunk) {
        if (at >= riff.Length())
            return SourceDate::None(NoDateReason::noDate);
        char type[4];
        std::uint32_t length = 0;
        ByteRange data;
        if (!riff.Read(at, type, 4) || !riff.U32(at + 4, ByteOrder::littleEndian, &length) ||
            !riff.Part(at + 8, length, &data))
            return SourceDate::None(NoDateReason::damaged);
        if (type[0] == 'E' && type[1] == 'X' && type[2] == 'I' && type[3] == 'F') {
            ByteRange tiff = data;
            if (data.Matches(0, kExifPrefix, sizeof kExifPrefix))
                data.Rest(sizeof kExifPrefix, &tiff);
            return ReadExifDate(tiff);
        }
        // Chunks are padded to an even length.
        at += 8 + std::uint64_t{length} + (length & 1);
    }
    return SourceDate::None(NoDateReason::damaged);
}
