// Small files built byte by byte for the readers of dates: TIFF structures with chosen
// text entries, and the containers that hold them. Shared by the tests under Wine and the
// native ones that compare with exiftool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// An entry of type ASCII; the text is stored with its closing NUL.
struct TextEntry {
    std::uint16_t tag;
    std::string text;
};

// A TIFF structure in either byte order: IFD0 with `ifd0`, and where `exif` is not empty,
// an Exif IFD with those that IFD0 points to.
Bytes TiffWith(bool bigEndian, const std::vector<TextEntry>& ifd0, const std::vector<TextEntry>& exif = {});

Bytes JpegWith(const Bytes& tiff);
Bytes PngWith(const Bytes& tiff);
Bytes WebpWith(const Bytes& tiff);

// An ISO base media box (QuickTime's atom).
Bytes IsoBox(const char* type, const Bytes& content);
// A HEIF image whose Exif item holds the structure (an 'Exif' item located by 'iloc').
Bytes HeifWith(const Bytes& tiff);
// A CR3 file with Canon's metadata box holding IFD0 and the Exif IFD as structures of their own.
Bytes Cr3With(const Bytes& ifd0Tiff, const Bytes& exifTiff);
// A movie with a header of either version and, where `creationDate` is not empty, Apple's
// creation date in the movie's metadata. `brand` is the file type box's ("qt  ", "isom").
Bytes MovieWith(const char* brand, int headerVersion, std::uint64_t secondsSince1904, const std::string& creationDate = "");

// Puts a number into bytes already built.
void PutBig(Bytes* bytes, std::size_t at, std::uint64_t value, int size);
void PutLittle(Bytes* bytes, std::size_t at, std::uint64_t value, int size);
