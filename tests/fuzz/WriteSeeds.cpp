// Writes the samples the tests build into a folder, as the start of a reader's corpus.
// Usage: write-seeds FOLDER READER
#include "sources/SampleFiles.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

void Save(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Utf16(const std::wstring& name)
{
    Bytes bytes;
    for (wchar_t c : name) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: write-seeds FOLDER READER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string reader = argv[2];
    const Bytes little = TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}, {0x9010, "+02:00"}},
                                  {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "123"}, {0x9011, "+01:00"},
                                   {0x9004, "2024:03:15 14:22:33"}});
    const Bytes big = TiffWith(true, {{0x0132, "2022:01:01 00:00:00"}}, {{0x9004, "2023:12:31 23:59:59"}, {0x9292, "5"}});
    const struct {
        const char* reader;
        const char* name;
        Bytes bytes;
    } seeds[] = {
        {"exif", "little.tif", little},
        {"exif", "big.tif", big},
        {"jpeg", "photo.jpg", JpegWith(little)},
        {"png", "image.png", PngWith(big)},
        {"webp", "image.webp", WebpWith(little)},
        {"isomedia", "image.heic", HeifWith(big)},
        {"isomedia", "raw.cr3", Cr3With(TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}}),
                                         TiffWith(false, {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "45"}}))},
        {"isomedia", "apple.mov", MovieWith("qt  ", 0, 3793450953ULL, "2024-03-15T14:22:33+0100")},
        {"isomedia", "header.mp4", MovieWith("isom", 1, 3793450953ULL)},
        {"name", "pixel", Utf16(L"PXL_20240315_142233123.jpg")},
        {"name", "whatsapp", Utf16(L"IMG-20240315-WA0007.jpg")},
        {"name", "dropbox", Utf16(L"2024-03-15 14.22.33.jpg")},
    };
    for (const auto& seed : seeds) {
        // The reader of every kind takes every file.
        if (reader == seed.reader || (reader == "datetaken" && std::string(seed.reader) != "name"))
            Save(folder + "/" + seed.name, seed.bytes);
    }
    return 0;
}
