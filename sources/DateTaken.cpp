#include "DateTaken.h"

#include "ContainerDates.h"
#include "ExifDate.h"
#include "IsoBoxes.h"

#include <cstring>
#include <initializer_list>

namespace {

bool Starts(const std::uint8_t* head, const char* magic, std::size_t size)
{
    return std::memcmp(head, magic, size) == 0;
}

std::uint32_t FourCcAt(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// The major brands of HEIF and AVIF images and their sequences.
bool IsImageBrand(std::uint32_t brand)
{
    for (const char* image : {"mif1", "msf1", "mif2", "heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs",
                              "avif", "avis"}) {
        if (brand == FourCcAt(reinterpret_cast<const std::uint8_t*>(image)))
            return true;
    }
    return false;
}

} // namespace

FileKind KindOfFile(ByteSource& file)
{
    std::uint8_t head[12] = {};
    const std::size_t size = file.Size() < sizeof head ? static_cast<std::size_t>(file.Size()) : sizeof head;
    if (!file.ReadAt(0, head, size))
        return FileKind::unknown;
    if (Starts(head, "\xFF\xD8\xFF", 3))
        return FileKind::jpeg;
    for (const char* tiff : {"II*\0", "MM\0*", "IIRO", "IIRS", "MMOR", "IIU\0"}) {
        if (Starts(head, tiff, 4))
            return FileKind::tiff;
    }
    if (Starts(head, "\x89PNG\r\n\x1A\n", 8))
        return FileKind::png;
    if (Starts(head, "RIFF", 4) && Starts(head + 8, "WEBP", 4))
        return FileKind::webp;
    const std::uint32_t type = FourCcAt(head + 4);
    if (type == FourCc("ftyp")) {
        const std::uint32_t brand = FourCcAt(head + 8);
        if (brand == FourCc("crx "))
            return FileKind::cr3;
        return IsImageBrand(brand) ? FileKind::heif : FileKind::video;
    }
    // QuickTime files older than the file type box start with one of these.
    for (const char* atom : {"moov", "mdat", "wide", "free", "skip", "pnot"}) {
        if (type == FourCcAt(reinterpret_cast<const std::uint8_t*>(atom)))
            return FileKind::video;
    }
    return FileKind::unknown;
}

SourceDate ReadDateTaken(ByteSource& file)
{
    const ByteRange whole(file);
    switch (KindOfFile(file)) {
    case FileKind::jpeg:
        return ReadJpegDate(whole);
    case FileKind::tiff:
        return ReadExifDate(whole);
    case FileKind::png:
        return ReadPngDate(whole);
    case FileKind::webp:
        return ReadWebpDate(whole);
    case FileKind::heif:
        return ReadHeifDate(whole);
    case FileKind::cr3:
        return ReadCr3Date(whole);
    case FileKind::video:
        return ReadVideoDate(whole);
    case FileKind::unknown:
        break;
    }
    return SourceDate::None(NoDateReason::unknownFormat);
}
