#include "model/FileByteSource.h"
#include "model/FileDateTaken.h"

#include "SampleFiles.h"
#include "support/TempFolder.h"

#include "framework/UniqueHandle.h"
#include "sources/DateTaken.h"

#include <gtest/gtest.h>

namespace {

bool WriteAt(const std::wstring& path, ULONGLONG offset, const Bytes& bytes)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD written = 0;
    return file.Valid() && SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) &&
           WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

UniqueHandle OpenToRead(const std::wstring& path)
{
    return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

TEST(FileDateTaken, ReadsAPhotoOnDiskAndNamesAFileThatCannotBeOpened)
{
    TempFolder folder;
    const std::wstring photo = folder / L"photo.jpg";
    ASSERT_TRUE(WriteAt(photo, 0, JpegWith(TiffWith(false, {}, {{0x9003, "2024:03:15 14:22:33"}, {0x9291, "5"}}))));
    const SourceDate date = ReadDateTaken(photo);
    ASSERT_EQ(date.kind, SourceDate::Kind::wallTime);
    EXPECT_EQ(date.wall.year, 2024);
    EXPECT_EQ(date.wall.second, 33);
    EXPECT_EQ(date.wall.ticks, 5000000u);

    const SourceDate missing = ReadDateTaken(folder / L"missing.jpg");
    EXPECT_FALSE(missing.Found());
    EXPECT_EQ(missing.reason, NoDateReason::unreadable);
}

// A file that another program writes is read all the same: the open shares writing.
TEST(FileDateTaken, ReadsAFileThatAnotherProgramHoldsOpenForWriting)
{
    TempFolder folder;
    const std::wstring photo = folder / L"held.jpg";
    ASSERT_TRUE(WriteAt(photo, 0, JpegWith(TiffWith(true, {}, {{0x9003, "2024:03:15 14:22:33"}}))));
    UniqueHandle writer(CreateFileW(photo.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.Valid());
    EXPECT_TRUE(ReadDateTaken(photo).Found());
}

// Reading a date is no change: the file's last-access stamp stays as it was, though its
// content was read.
TEST(FileDateTaken, LeavesTheLastAccessStampAsItWas)
{
    TempFolder folder;
    const std::wstring photo = folder / L"kept.jpg";
    ASSERT_TRUE(WriteAt(photo, 0, JpegWith(TiffWith(false, {}, {{0x9003, "2024:03:15 14:22:33"}}))));
    const FILETIME old = StampOfUtc(2005, 6, 28, 10, 0, 0);
    {
        UniqueHandle file(CreateFileW(photo.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid() && SetFileTime(file.Get(), nullptr, &old, nullptr));
    }
    ASSERT_TRUE(ReadDateTaken(photo).Found());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(photo.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastAccessTime, &old), 0);
}

// A video's movie box may come after gigabytes of media: the reader asks for its boxes'
// headers, never for the media between them.
TEST(FileDateTaken, ReadsAVideosMovieBoxAtTheEndWithoutReadingTheMedia)
{
    TempFolder folder;
    const ULONGLONG mediaSize = 3ULL << 30;
    const std::wstring video = folder.MakeFile(L"long.mp4", 0);
    Bytes head = IsoBox("ftyp", {'i', 's', 'o', 'm', 0, 0, 0, 0, 'i', 's', 'o', 'm'});
    // The media box with a 64-bit size: 1, its type, then the size.
    const Bytes mdat = {0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 0, 0, 0, 0, 0};
    head.insert(head.end(), mdat.begin(), mdat.end());
    PutBig(&head, head.size() - 8, mediaSize, 8);
    const Bytes movie = MovieWith("isom", 0, 3793450953ULL, "2024-03-15T14:22:33+0100");
    const Bytes moov(movie.begin() + 20, movie.end() - 8); // without its file type and media boxes
    ASSERT_TRUE(WriteAt(video, 0, head));
    ASSERT_TRUE(WriteAt(video, 20 + mediaSize, moov));

    UniqueHandle file = OpenToRead(video);
    ASSERT_TRUE(file.Valid());
    FileByteSource bytes(file.Get());
    const SourceDate date = ReadDateTaken(bytes);
    ASSERT_EQ(date.kind, SourceDate::Kind::instant);
    EXPECT_LT(bytes.BytesFetched(), 128u * 1024) << "read more than the head and a few headers";
}

// Reads within the first 64 KiB, across its end, far out and past the file's end give the
// file's own bytes or fail, whatever was read before.
TEST(FileByteSource, GivesTheFilesBytesAtEveryOffsetAndNothingPastItsEnd)
{
    TempFolder folder;
    const std::wstring path = folder / L"pattern.bin";
    Bytes pattern(200000);
    for (std::size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    ASSERT_TRUE(WriteAt(path, 0, pattern));
    UniqueHandle file = OpenToRead(path);
    ASSERT_TRUE(file.Valid());
    FileByteSource bytes(file.Get());
    ASSERT_EQ(bytes.Size(), pattern.size());

    const struct {
        std::uint64_t offset;
        std::size_t size;
    } reads[] = {
        {0, 16}, {65530, 12}, {100000, 8}, {100004, 8}, {65536, 4096}, {150000, 20000}, {3, 65533}, {199990, 10}, {0, 0},
    };
    for (const auto& read : reads) {
        Bytes got(read.size + 1, 0xEE);
        ASSERT_TRUE(bytes.ReadAt(read.offset, got.data(), read.size)) << read.offset;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(read.size),
                               pattern.begin() + static_cast<std::ptrdiff_t>(read.offset)))
            << read.offset;
        EXPECT_EQ(got[read.size], 0xEE) << "wrote past the read at " << read.offset;
    }
    std::uint8_t byte = 0;
    EXPECT_FALSE(bytes.ReadAt(199999, &byte, 2));
    EXPECT_FALSE(bytes.ReadAt(200001, &byte, 0));
    EXPECT_FALSE(bytes.ReadAt(~0ULL, &byte, 1));
}
