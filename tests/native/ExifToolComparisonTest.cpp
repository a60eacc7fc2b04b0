// The readers' dates against exiftool's, file by file: sample files made here at run time
// (ImageMagick's images and the containers the tests build), their dates written by
// exiftool, then read by both. exiftool's answer is brought to a date by the same order of
// tags, its texts read here with the C library, apart from the readers' own code.
#include "sources/DateTaken.h"
#include "sources/SampleFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool RunCommand(const std::string& command, std::string* output = nullptr)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return false;
    std::string text;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    const int status = pclose(pipe);
    if (output != nullptr)
        *output = text;
    return status == 0;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Bytes Load(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void Save(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A date as both sides are written out: "none", "wall 2024-03-15 14:22:33.1230000" or
// "instant 2024-03-15 13:22:33.1230000 UTC".
std::string DateText(const char* kind, const std::tm& fields, std::uint32_t ticks, const char* zone)
{
    char text[80];
    std::snprintf(text, sizeof text, "%s %04d-%02d-%02d %02d:%02d:%02d.%07u%s", kind, fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec, ticks, zone);
    return text;
}

std::string InstantText(std::int64_t unixSeconds, std::uint32_t ticks)
{
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
    std::tm fields = {};
    gmtime_r(&seconds, &fields);
    return DateText("instant", fields, ticks, " UTC");
}

std::string Describe(const SourceDate& date)
{
    switch (date.kind) {
    case SourceDate::Kind::none:
        return "none";
    case SourceDate::Kind::wallTime: {
        std::tm fields = {};
        fields.tm_year = date.wall.year - 1900;
        fields.tm_mon = date.wall.month - 1;
        fields.tm_mday = date.wall.day;
        fields.tm_hour = date.wall.hour;
        fields.tm_min = date.wall.minute;
        fields.tm_sec = date.wall.second;
        return DateText("wall", fields, date.wall.ticks, "");
    }
    case SourceDate::Kind::instant:
        return InstantText(static_cast<std::int64_t>(date.utcTicks / 10000000) - 11644473600LL,
                           static_cast<std::uint32_t>(date.utcTicks % 10000000));
    }
    return "?";
}

// Digits of a fraction of a second, to 100 ns.
std::uint32_t FractionTicks(const std::string& digits)
{
    std::string seven = digits.substr(0, 7);
    seven.resize(7, '0');
    return static_cast<std::uint32_t>(std::strtoul(seven.c_str(), nullptr, 10));
}

// exiftool's "YYYY:MM:DD HH:MM:SS", then an optional fraction and offset ("+01:00", "Z").
std::string ExiftoolDate(const std::string& text, const std::string& subSeconds, const std::string& offset)
{
    std::tm fields = {};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d%n", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                    &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &consumed) != 6 || fields.tm_year == 0)
        return "none";
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    std::string rest = text.substr(static_cast<std::size_t>(consumed));
    std::uint32_t ticks = subSeconds.empty() || subSeconds == "-" ? 0 : FractionTicks(subSeconds);
    if (!rest.empty() && rest[0] == '.') {
        const std::size_t end = rest.find_first_not_of("0123456789", 1);
        ticks = FractionTicks(rest.substr(1, end - 1));
        rest = end == std::string::npos ? "" : rest.substr(end);
    }
    const std::string zone = rest.empty() && offset != "-" ? offset : rest;
    int hours = 0;
    int minutes = 0;
    if (zone.empty() || zone == "-")
        return DateText("wall", fields, ticks, "");
    if (zone != "Z" && std::sscanf(zone.c_str() + 1, "%2d:%2d", &hours, &minutes) != 2)
        return "none";
    const int east = (zone[0] == '-' ? -1 : 1) * (hours * 60 + minutes);
    return InstantText(static_cast<std::int64_t>(timegm(&fields)) - east * 60, ticks);
}

// The tags asked of exiftool, in the order of its columns after the file's name.
const char* const kExiftoolTags[] = {
    "-EXIF:DateTimeOriginal", "-EXIF:SubSecTimeOriginal", "-EXIF:OffsetTimeOriginal",
    "-EXIF:CreateDate",       "-EXIF:SubSecTimeDigitized", "-EXIF:OffsetTimeDigitized",
    "-EXIF:ModifyDate",       "-EXIF:SubSecTime",          "-EXIF:OffsetTime",
    "-Keys:CreationDate",     "-QuickTime:CreateDate",
};

// The date exiftool's columns stand for: the three Exif dates in turn, then Apple's creation
// date, then the movie header's time.
std::string ExpectedDate(const std::vector<std::string>& columns)
{
    for (int group = 0; group < 3; ++group) {
        const std::string date = ExiftoolDate(columns[3 * group], columns[3 * group + 1], columns[3 * group + 2]);
        if (date != "none")
            return date;
    }
    const std::string apple = ExiftoolDate(columns[9], "-", "-");
    if (apple != "none")
        return apple;
    // The movie header's zero is a time its writer did not set; exiftool shows it as 1904.
    const std::string header = ExiftoolDate(columns[10], "-", "-");
    return header == "instant 1904-01-01 00:00:00.0000000 UTC" ? "none" : header;
}

// Where the tests change a structure: the entry of `tag` in the little-endian IFD at `ifd`.
std::size_t EntryOf(const Bytes& tiff, std::size_t ifd, std::uint16_t tag)
{
    const std::size_t count = tiff[ifd] | tiff[ifd + 1] << 8;
    for (std::size_t entry = ifd + 2; entry < ifd + 2 + count * 12; entry += 12) {
        if ((tiff[entry] | tiff[entry + 1] << 8) == tag)
            return entry;
    }
    ADD_FAILURE() << "no entry " << tag;
    return 0;
}

std::size_t Find(const Bytes& bytes, const std::string& text)
{
    for (std::size_t at = 0; at + text.size() <= bytes.size(); ++at) {
        if (std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at)))
            return at;
    }
    ADD_FAILURE() << "no " << text;
    return 0;
}

struct TagSet {
    const char* name;
    std::vector<std::string> arguments; // exiftool's, writing the dates
    // exiftool reads no IFD0 date in Panasonic's RW2, whose IFD0 has tags of its own: its
    // samples carry the Exif IFD's dates alone.
    bool forRw2;
};

const TagSet kTagSets[] = {
    {"original", {"-DateTimeOriginal=2024:03:15 14:22:33", "-EXIF:ModifyDate=2022:01:01 00:00:00"}, true},
    {"subsecond", {"-DateTimeOriginal=2024:03:15 14:22:33", "-SubSecTimeOriginal=123"}, true},
    {"offset", {"-DateTimeOriginal=2024:03:15 14:22:33", "-SubSecTimeOriginal=1234567", "-OffsetTimeOriginal=-05:30"}, true},
    {"digitized", {"-CreateDate=2023:12:31 23:59:59", "-SubSecTimeDigitized=5", "-OffsetTimeDigitized=+09:00",
                   "-EXIF:ModifyDate=2022:01:01 00:00:00"}, true},
    {"modified", {"-EXIF:ModifyDate=2022:06:01 08:00:00", "-SubSecTime=25", "-OffsetTime=+01:00"}, false},
    {"blank-original", {"-DateTimeOriginal=0000:00:00 00:00:00", "-EXIF:ModifyDate=2022:06:01 08:00:00"}, false},
    {"none", {}, true},
};

const std::uint64_t kMarch2024Since1904 = 3793450953ULL; // 2024-03-16 16:22:33 UTC

class ExiftoolComparison : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char folder[] = "/tmp/kalendrix-exiftool-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        s_folder = folder;
        ASSERT_TRUE(RunCommand("exiftool -ver")) << "exiftool is missing: tools/install-packages test installs it";
        ASSERT_TRUE(RunCommand("convert -version")) << "ImageMagick is missing: tools/install-packages test installs it";
        MakePhotos();
        MakeVideos();
        MakeBrokenFiles();
        ReadWithExiftool();
    }
    static void TearDownTestSuite() { fs::remove_all(s_folder); }

    static fs::path PathOf(const std::string& name) { return s_folder / name; }

    // Writes the dates into every file named, in one run of exiftool.
    static void Write(const std::vector<std::string>& names, const std::vector<std::string>& arguments)
    {
        if (arguments.empty())
            return;
        std::string command = "cd " + Quote(s_folder.string()) + " && exiftool -q -q -overwrite_original";
        for (const std::string& argument : arguments)
            command += " " + Quote(argument);
        for (const std::string& name : names)
            command += " " + Quote(name);
        std::string output;
        ASSERT_TRUE(RunCommand(command, &output)) << names.front() << ": " << output;
    }

    static void MakePhotos()
    {
        const char* const drawn[] = {"jpg", "tif", "png", "webp"};
        for (const char* format : drawn)
            ASSERT_TRUE(RunCommand("convert -size 8x8 xc:gray40 " + Quote(PathOf(std::string("drawn.") + format).string())));
        for (const TagSet& tags : kTagSets) {
            const std::string stem = std::string("photo-") + tags.name;
            std::vector<std::string> names;
            for (const char* format : drawn) {
                names.push_back(stem + "." + format);
                fs::copy_file(PathOf(std::string("drawn.") + format), PathOf(names.back()));
            }
            // Big-endian TIFF, HEIF and CR3 start from the tests' own empty structures.
            const struct {
                const char* suffix;
                Bytes bytes;
            } built[] = {
                {"-mm.tif", TiffWith(true, {})},
                {".heic", HeifWith(TiffWith(true, {}))},
                {".cr3", Cr3With(TiffWith(false, {}), TiffWith(false, {}))},
            };
            for (const auto& file : built) {
                names.push_back(stem + file.suffix);
                Save(PathOf(names.back()), file.bytes);
            }
            Write(names, tags.arguments);
            // Olympus's and Panasonic's raw files are TIFF with a magic of their own.
            for (const auto& raw : {std::make_pair(".orf", std::string("IIRO")), std::make_pair(".rw2", std::string("IIU\0", 4))}) {
                if (raw.first == std::string(".rw2") && !tags.forRw2)
                    continue;
                Bytes bytes = Load(PathOf(stem + ".tif"));
                std::copy(raw.second.begin(), raw.second.end(), bytes.begin());
                names.push_back(stem + raw.first);
                Save(PathOf(names.back()), bytes);
            }
            s_photos.insert(s_photos.end(), names.begin(), names.end());
        }
    }

    static void MakeVideos()
    {
        const struct {
            const char* name;
            Bytes bytes;
            std::vector<std::string> arguments;
        } videos[] = {
            {"header-v0.mov", MovieWith("qt  ", 0, kMarch2024Since1904), {}},
            {"header-v1.mp4", MovieWith("isom", 1, kMarch2024Since1904), {}},
            {"header-written.m4v", MovieWith("M4V ", 0, 0), {"-QuickTime:CreateDate=2021:05:06 07:08:09"}},
            {"header.3gp", MovieWith("3gp4", 0, kMarch2024Since1904 + 86399), {}},
            {"apple.mov", MovieWith("qt  ", 0, kMarch2024Since1904), {"-Keys:CreationDate=2024:03:15 14:22:33+01:00"}},
            {"apple-fraction.mp4", MovieWith("isom", 0, kMarch2024Since1904), {"-Keys:CreationDate=2024:03:15 14:22:33.5-08:00"}},
            {"apple-built.mov", MovieWith("qt  ", 0, kMarch2024Since1904, "2023-07-01T00:30:00+0900"), {}},
            {"none.mp4", MovieWith("isom", 0, 0), {}},
        };
        for (const auto& video : videos) {
            Save(PathOf(video.name), video.bytes);
            Write({video.name}, video.arguments);
            s_videos.push_back(video.name);
        }
    }

    static void MakeBrokenFiles()
    {
        const Bytes tiff = TiffWith(false, {{0x0132, "2022:01:01 00:00:00"}},
                                    {{0x9003, "2024:03:15 14:22:33"}, {0x9004, "2023:12:31 23:59:59"}});
        const std::size_t exifPointer = EntryOf(tiff, 8, 0x8769) + 8;
        std::size_t exifIfd = 0;
        for (int i = 3; i >= 0; --i)
            exifIfd = exifIfd << 8 | tiff[exifPointer + i];
        const std::size_t ifd0Next = 8 + 2 + 2 * 12;
        auto patched = [](Bytes bytes, std::size_t at, std::uint64_t value, int size) {
            PutLittle(&bytes, at, value, size);
            return bytes;
        };
        const Bytes jpeg = Load(PathOf("photo-offset.jpg"));
        const Bytes png = PngWith(tiff);
        const Bytes heif = HeifWith(tiff);
        const Bytes movie = MovieWith("isom", 0, kMarch2024Since1904, "2024-03-15T14:22:33+0100");
        Bytes hugeBox = movie;
        PutBig(&hugeBox, Find(hugeBox, "moov") - 4, 1, 4);
        hugeBox.insert(hugeBox.begin() + static_cast<std::ptrdiff_t>(Find(hugeBox, "moov") + 4), 8, 0x7F);
        Bytes ilocPastEnd = heif;
        PutBig(&ilocPastEnd, Find(ilocPastEnd, "iloc") + 4 + 4 + 2 + 2 + 8 + 2 + 2 + 2, 0x7FFFFFF0, 4);
        const struct {
            const char* name;
            Bytes bytes;
        } broken[] = {
            {"cut-in-exif.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40)},
            {"cut-in-image.jpg", Bytes(jpeg.begin(), jpeg.end() - 20)},
            {"exif-ifd-is-ifd0.tif", patched(tiff, exifPointer, 8, 4)},
            {"ifd0-points-to-itself.tif", patched(tiff, ifd0Next, 8, 4)},
            {"exif-ifd-past-end.tif", patched(tiff, exifPointer, 0xFFFFFFF0, 4)},
            {"huge-entry-count.tif", patched(tiff, exifIfd, 0xFFFF, 2)},
            {"huge-text-count.tif", patched(tiff, EntryOf(tiff, exifIfd, 0x9003) + 4, 0xFFFFFFF0, 4)},
            {"cut-in-ifd.tif", Bytes(tiff.begin(), tiff.begin() + static_cast<std::ptrdiff_t>(exifIfd) + 8)},
            {"chunk-past-end.png", [&] { Bytes b = png; PutBig(&b, Find(b, "eXIf") - 4, 0x7FFFFFF0, 4); return b; }()},
            {"cut.png", Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() / 2))},
            {"exif-past-end.heic", ilocPastEnd},
            {"cut.heic", Bytes(heif.begin(), heif.end() - 30)},
            {"moov-past-end.mp4", [&] { Bytes b = movie; PutBig(&b, Find(b, "moov") - 4, 0x7FFFFFF0, 4); return b; }()},
            {"huge-largesize.mp4", hugeBox},
            {"cut-in-keys.mov", Bytes(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(Find(movie, "keys") + 20))},
            {"empty.jpg", Bytes{0xFF, 0xD8, 0xFF}},
        };
        for (const auto& file : broken) {
            Save(PathOf(file.name), file.bytes);
            s_broken.push_back(file.name);
        }
    }

    // One run of exiftool for every file: its columns by file name. QuickTime's times are
    // UTC by the format; read in UTC, exiftool shows them with "+00:00".
    static void ReadWithExiftool()
    {
        std::string command = "cd " + Quote(s_folder.string()) + " && TZ=UTC exiftool -api QuickTimeUTC -T -f -n -FileName";
        for (const char* tag : kExiftoolTags)
            command += std::string(" ") + tag;
        for (const auto* names : {&s_photos, &s_videos, &s_broken}) {
            for (const std::string& name : *names)
                command += " " + Quote(name);
        }
        std::string output;
        RunCommand(command, &output); // exits 1 where a broken file has no tags at all
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> columns;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, '\t');)
                columns.push_back(cell);
            if (columns.size() == 1 + std::size(kExiftoolTags))
                s_exiftool[columns[0]] = std::vector<std::string>(columns.begin() + 1, columns.end());
        }
    }

    // Both readings of a file: exiftool's, then ours.
    static std::pair<std::string, std::string> Readings(const std::string& name)
    {
        const auto found = s_exiftool.find(name);
        const std::string expected = found == s_exiftool.end() ? "none" : ExpectedDate(found->second);
        Bytes bytes = Load(PathOf(name));
        MemoryByteSource source(bytes.data(), bytes.size());
        return {expected, Describe(ReadDateTaken(source))};
    }

    static fs::path s_folder;
    static std::vector<std::string> s_photos, s_videos, s_broken;
    static std::map<std::string, std::vector<std::string>> s_exiftool;
};

fs::path ExiftoolComparison::s_folder;
std::vector<std::string> ExiftoolComparison::s_photos, ExiftoolComparison::s_videos, ExiftoolComparison::s_broken;
std::map<std::string, std::vector<std::string>> ExiftoolComparison::s_exiftool;

} // namespace

TEST_F(ExiftoolComparison, PhotosOfEveryFormatAndSetOfTagsReadAsExiftoolReadsThem)
{
    for (const std::string& name : s_photos) {
        const auto [expected, read] = Readings(name);
        EXPECT_EQ(read, expected) << name;
        // A sample whose dates exiftool could not write would prove nothing.
        if (name.find("-none") == std::string::npos) {
            EXPECT_NE(expected, "none") << name;
        }
    }
}

TEST_F(ExiftoolComparison, VideosReadAsExiftoolReadsThem)
{
    for (const std::string& name : s_videos) {
        const auto [expected, read] = Readings(name);
        EXPECT_EQ(read, expected) << name;
    }
}

TEST_F(ExiftoolComparison, BrokenFilesGiveWhatExiftoolReadsOrNoDate)
{
    for (const std::string& name : s_broken) {
        const auto [expected, read] = Readings(name);
        std::printf("%-28s exiftool: %-45s ours: %s\n", name.c_str(), expected.c_str(), read.c_str());
        EXPECT_TRUE(read == expected || read == "none") << name << ": exiftool " << expected << ", read " << read;
    }
}
