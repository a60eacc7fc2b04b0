#include "FuzzReaders.h"

#include "sources/ContainerDates.h"
#include "sources/DateTaken.h"
#include "sources/ExifDate.h"
#include "sources/NameDate.h"

#include <cstring>
#include <string>

namespace {

template <SourceDate (*Reader)(const ByteRange&)>
SourceDate OverBytes(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource source(data, size);
    return Reader(ByteRange(source));
}

SourceDate DateTaken(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource source(data, size);
    return ReadDateTaken(source);
}

// HEIF, CR3 and video read the same boxes in turn.
SourceDate IsoMedia(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource source(data, size);
    const ByteRange file(source);
    ReadHeifDate(file);
    ReadCr3Date(file);
    return ReadVideoDate(file);
}

// The bytes as UTF-16 code units, as a name on Windows holds them.
SourceDate Name(const std::uint8_t* data, std::size_t size)
{
    std::wstring name;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        name.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    return DateInName(name);
}

} // namespace

const FuzzReader kFuzzReaders[] = {
    {"datetaken", DateTaken},
    {"exif", OverBytes<ReadExifDate>},
    {"jpeg", OverBytes<ReadJpegDate>},
    {"png", OverBytes<ReadPngDate>},
    {"webp", OverBytes<ReadWebpDate>},
    {"isomedia", IsoMedia},
    {"name", Name},
};
const std::size_t kFuzzReaderCount = sizeof kFuzzReaders / sizeof kFuzzReaders[0];

const FuzzReader* FindFuzzReader(const char* name)
{
    for (const FuzzReader& reader : kFuzzReaders) {
        if (std::strcmp(reader.name, name) == 0)
            return &reader;
    }
    return nullptr;
}
