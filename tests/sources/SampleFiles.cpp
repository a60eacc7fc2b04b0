#include "SampleFiles.h"

#include <algorithm>
#include <cstring>

namespace {

void AppendBig(Bytes* bytes, std::uint64_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        bytes->push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendText(Bytes* bytes, const std::string& text)
{
    bytes->insert(bytes->end(), text.begin(), text.end());
}

void Append(Bytes* bytes, const Bytes& more)
{
    bytes->insert(bytes->end(), more.begin(), more.end());
}

// PNG's CRC-32 of a chunk's type and data.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

Bytes PngChunk(const char* type, const Bytes& data)
{
    Bytes chunk;
    AppendBig(&chunk, data.size(), 4);
    AppendText(&chunk, type);
    Append(&chunk, data);
    AppendBig(&chunk, Crc32(chunk.data() + 4, chunk.size() - 4), 4);
    return chunk;
}

Bytes FullBox(const char* type, int version, const Bytes& content)
{
    Bytes body;
    AppendBig(&body, static_cast<std::uint64_t>(version) << 24, 4);
    Append(&body, content);
    return IsoBox(type, body);
}

} // namespace

void PutBig(Bytes* bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        (*bytes)[at + i] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
}

void PutLittle(Bytes* bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        (*bytes)[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes TiffWith(bool bigEndian, const std::vector<TextEntry>& ifd0, const std::vector<TextEntry>& exif)
{
    auto put = [bigEndian](Bytes* bytes, std::size_t at, std::uint64_t value, int size) {
        bigEndian ? PutBig(bytes, at, value, size) : PutLittle(bytes, at, value, size);
    };
    Bytes tiff(8);
    tiff[0] = tiff[1] = bigEndian ? 'M' : 'I';
    put(&tiff, 2, 42, 2);
    put(&tiff, 4, 8, 4);
    // Each IFD: its entries, then the texts longer than four bytes after it.
    auto writeIfd = [&](std::vector<TextEntry> entries, bool pointToExif) -> std::size_t {
        // Entries in the order of their tags, as TIFF wants them; the Exif pointer last (IFD0 holds
        // lower tags here).
        std::sort(entries.begin(), entries.end(), [](const TextEntry& a, const TextEntry& b) { return a.tag < b.tag; });
        const std::size_t start = tiff.size();
        const std::size_t count = entries.size() + (pointToExif ? 1 : 0);
        tiff.resize(start + 2 + count * 12 + 4);
        put(&tiff, start, count, 2);
        std::size_t entry = start + 2;
        std::size_t exifPointer = 0;
        for (const TextEntry& text : entries) {
            const std::size_t length = text.text.size() + 1;
            put(&tiff, entry, text.tag, 2);
            put(&tiff, entry + 2, 2, 2);
            put(&tiff, entry + 4, length, 4);
            if (length <= 4) {
                std::memcpy(&tiff[entry + 8], text.text.c_str(), length);
            } else {
                put(&tiff, entry + 8, tiff.size(), 4);
                tiff.insert(tiff.end(), text.text.c_str(), text.text.c_str() + length);
                if (tiff.size() % 2)
                    tiff.push_back(0);
            }
            entry += 12;
        }
        if (pointToExif) {
            put(&tiff, entry, 0x8769, 2);
            put(&tiff, entry + 2, 4, 2);
            put(&tiff, entry + 4, 1, 4);
            exifPointer = entry + 8;
        }
        return exifPointer;
    };
    const std::size_t exifPointer = writeIfd(ifd0, !exif.empty());
    if (!exif.empty()) {
        put(&tiff, exifPointer, tiff.size(), 4);
        writeIfd(exif, false);
    }
    return tiff;
}

Bytes JpegWith(const Bytes& tiff)
{
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    jpeg.insert(jpeg.end(), {0xFF, 0xE1});
    AppendBig(&jpeg, tiff.size() + 8, 2);
    AppendText(&jpeg, std::string("Exif\0\0", 6));
    Append(&jpeg, tiff);
    jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0x00, 0x02, 0x00, 0xFF, 0xD9});
    return jpeg;
}

Bytes PngWith(const Bytes& tiff)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Append(&png, PngChunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0}));
    Append(&png, PngChunk("eXIf", tiff));
    Append(&png, PngChunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01}));
    Append(&png, PngChunk("IEND", {}));
    return png;
}

Bytes WebpWith(const Bytes& tiff)
{
    Bytes chunks;
    AppendText(&chunks, "WEBP");
    AppendText(&chunks, "VP8X");
    chunks.insert(chunks.end(), {10, 0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    AppendText(&chunks, "EXIF");
    for (int i = 0; i < 4; ++i)
        chunks.push_back(static_cast<std::uint8_t>(tiff.size() >> (8 * i)));
    Append(&chunks, tiff);
    if (tiff.size() % 2)
        chunks.push_back(0);
    Bytes webp;
    AppendText(&webp, "RIFF");
    for (int i = 0; i < 4; ++i)
        webp.push_back(static_cast<std::uint8_t>(chunks.size() >> (8 * i)));
    Append(&webp, chunks);
    return webp;
}

Bytes IsoBox(const char* type, const Bytes& content)
{
    Bytes box;
    AppendBig(&box, content.size() + 8, 4);
    AppendText(&box, type);
    Append(&box, content);
    return box;
}

Bytes HeifWith(const Bytes& tiff)
{
    Bytes ftyp;
    AppendText(&ftyp, "heic");
    AppendBig(&ftyp, 0, 4);
    AppendText(&ftyp, "mif1heic");
    Bytes hdlr(4, 0);
    AppendText(&hdlr, "pict");
    hdlr.resize(hdlr.size() + 13, 0);
    Bytes infeImage;
    AppendBig(&infeImage, 1, 2);
    AppendBig(&infeImage, 0, 2);
    AppendText(&infeImage, "hvc1");
    infeImage.push_back(0);
    Bytes infeExif;
    AppendBig(&infeExif, 2, 2);
    AppendBig(&infeExif, 0, 2);
    AppendText(&infeExif, "Exif");
    infeExif.push_back(0);
    Bytes iinf;
    AppendBig(&iinf, 2, 2);
    Append(&iinf, FullBox("infe", 2, infeImage));
    Append(&iinf, FullBox("infe", 2, infeExif));
    Bytes pitm;
    AppendBig(&pitm, 1, 2);
    Bytes cdsc;
    AppendBig(&cdsc, 2, 2);
    AppendBig(&cdsc, 1, 2);
    AppendBig(&cdsc, 1, 2);
    // The Exif item: the offset to the TIFF header, "Exif\0\0", the structure.
    Bytes item;
    AppendBig(&item, 6, 4);
    AppendText(&item, std::string("Exif\0\0", 6));
    Append(&item, tiff);
    const Bytes image = {0, 0, 0, 0};
    // Item locations: version 0, offsets and lengths of four bytes, no base offset.
    auto metaWith = [&](std::uint64_t mdatContent) {
        Bytes iloc = {0x44, 0x00};
        AppendBig(&iloc, 2, 2);
        for (int id = 1; id <= 2; ++id) {
            AppendBig(&iloc, id, 2);
            AppendBig(&iloc, 0, 2);
            AppendBig(&iloc, 1, 2);
            AppendBig(&iloc, id == 1 ? mdatContent : mdatContent + image.size(), 4);
            AppendBig(&iloc, id == 1 ? image.size() : item.size(), 4);
        }
        Bytes meta;
        Append(&meta, FullBox("hdlr", 0, hdlr));
        Append(&meta, FullBox("pitm", 0, pitm));
        Append(&meta, FullBox("iinf", 0, iinf));
        Append(&meta, FullBox("iref", 0, IsoBox("cdsc", cdsc)));
        Append(&meta, FullBox("iloc", 0, iloc));
        return FullBox("meta", 0, meta);
    };
    Bytes file = IsoBox("ftyp", ftyp);
    const std::size_t metaSize = metaWith(0).size();
    Append(&file, metaWith(file.size() + metaSize + 8));
    Bytes mdat = image;
    Append(&mdat, item);
    Append(&file, IsoBox("mdat", mdat));
    return file;
}

Bytes Cr3With(const Bytes& ifd0Tiff, const Bytes& exifTiff)
{
    Bytes ftyp;
    AppendText(&ftyp, "crx ");
    AppendBig(&ftyp, 1, 4);
    AppendText(&ftyp, "crx isom");
    static const std::uint8_t canon[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                           0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
    Bytes uuid(canon, canon + 16);
    Append(&uuid, IsoBox("CNCV", Bytes{'C', 'a', 'n', 'o', 'n', 'C', 'R', '3', '_', '0', '0', '1', '/', '0', '0', '.',
                                       '0', '9', '.', '0', '0', '/', '0', '0', '.', '0', '0', '.', '0', '0'}));
    Append(&uuid, IsoBox("CMT1", ifd0Tiff));
    Append(&uuid, IsoBox("CMT2", exifTiff));
    Bytes file = IsoBox("ftyp", ftyp);
    Append(&file, IsoBox("moov", IsoBox("uuid", uuid)));
    Append(&file, IsoBox("mdat", {}));
    return file;
}

Bytes MovieWith(const char* brand, int headerVersion, std::uint64_t secondsSince1904, const std::string& creationDate)
{
    Bytes ftyp;
    AppendText(&ftyp, brand);
    AppendBig(&ftyp, 0, 4);
    AppendText(&ftyp, brand);
    const int timeSize = headerVersion == 1 ? 8 : 4;
    Bytes mvhd;
    AppendBig(&mvhd, secondsSince1904, timeSize); // creation
    AppendBig(&mvhd, secondsSince1904, timeSize); // modification
    AppendBig(&mvhd, 600, 4);                     // time scale
    AppendBig(&mvhd, 0, timeSize);                // duration
    AppendBig(&mvhd, 0x10000, 4);                 // rate 1.0
    AppendBig(&mvhd, 0x100, 2);                   // volume 1.0
    mvhd.resize(mvhd.size() + 10, 0);
    for (std::uint32_t value : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        AppendBig(&mvhd, value, 4);
    mvhd.resize(mvhd.size() + 24, 0);
    AppendBig(&mvhd, 2, 4); // next track id
    Bytes moov = FullBox("mvhd", headerVersion, mvhd);
    if (!creationDate.empty()) {
        // QuickTime's metadata box: no version, a handler of 'mdta', the keys, the list.
        Bytes hdlr(4, 0);
        AppendText(&hdlr, "mdta");
        hdlr.resize(hdlr.size() + 12, 0);
        const std::string key = "com.apple.quicktime.creationdate";
        Bytes keys;
        AppendBig(&keys, 1, 4);
        AppendBig(&keys, key.size() + 8, 4);
        AppendText(&keys, "mdta");
        AppendText(&keys, key);
        Bytes data;
        AppendBig(&data, 1, 4); // UTF-8
        AppendBig(&data, 0, 4);
        AppendText(&data, creationDate);
        Bytes item = IsoBox("data", data);
        Bytes entry;
        AppendBig(&entry, item.size() + 8, 4);
        AppendBig(&entry, 1, 4); // the first key
        Append(&entry, item);
        Bytes meta = FullBox("hdlr", 0, hdlr);
        Append(&meta, FullBox("keys", 0, keys));
        Append(&meta, IsoBox("ilst", entry));
        Append(&moov, IsoBox("meta", meta));
    }
    Bytes file = IsoBox("ftyp", ftyp);
    Append(&file, IsoBox("moov", moov));
    Append(&file, IsoBox("mdat", {}));
    return file;
}
