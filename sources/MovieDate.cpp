#include "ContainerDates.h"

#include "DateText.h"
#include "ExifDate.h"
#include "IsoBoxes.h"

#include "datetime/Calendar.h"

#include <cstring>

namespace {

const std::uint64_t kTicksPerSecond = 10000000;
const char kCreationDateKey[] = "com.apple.quicktime.creationdate";
// Longer than any date text.
const std::uint32_t kLongestText = 64;
// Canon's box of metadata in a CR3's movie box.
const std::uint8_t kCanonUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                     0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};

SourceDate NoneOf(BoxFind find)
{
    return SourceDate::None(find == BoxFind::damaged ? NoDateReason::damaged : NoDateReason::noDate);
}

// The 1-based index of Apple's creation date among the keys of a 'keys' box; 0 where absent.
std::uint32_t CreationDateKey(const ByteRange& keys)
{
    std::uint32_t count = 0;
    if (!keys.U32(4, ByteOrder::bigEndian, &count))
        return 0;
    std::uint64_t at = 8;
    // Each key takes at least its eight bytes of header, so the count goes no further than the box.
    for (std::uint32_t index = 1; index <= count; ++index) {
        std::uint32_t size = 0;
        if (!keys.U32(at, ByteOrder::bigEndian, &size) || size < 8 || !keys.Holds(at, size))
            return 0;
        if (size - 8 == sizeof kCreationDateKey - 1 && keys.Matches(at + 4, "mdta", 4)) {
            char name[sizeof kCreationDateKey - 1];
            if (keys.Read(at + 8, name, sizeof name) && std::memcmp(name, kCreationDateKey, sizeof name) == 0)
                return index;
        }
        at += size;
    }
    return 0;
}

// Apple's creation date in a metadata box: the list entry of its key, as UTF-8 text.
SourceDate AppleCreationDate(const Box& meta)
{
    const ByteRange children = MetaChildren(meta);
    Box keys;
    Box ilst;
    if (FindBox(children, FourCc("keys"), &keys) != BoxFind::found ||
        FindBox(children, FourCc("ilst"), &ilst) != BoxFind::found)
        return SourceDate::None(NoDateReason::noDate);
    const std::uint32_t key = CreationDateKey(keys.content);
    Box entry;
    Box data;
    if (key == 0 || FindBox(ilst.content, key, &entry) != BoxFind::found ||
        FindBox(entry.content, FourCc("data"), &data) != BoxFind::found)
        return SourceDate::None(NoDateReason::noDate);
    // The data box: its type (1 is UTF-8), a locale, then the value.
    std::uint32_t type = 0;
    if (!data.content.U32(0, ByteOrder::bigEndian, &type) || (type & 0xFFFFFF) != 1 || data.content.Length() < 8)
        return SourceDate::None(NoDateReason::damaged);
    char raw[kLongestText];
    const std::uint64_t size = data.content.Length() - 8 < kLongestText ? data.content.Length() - 8 : kLongestText;
    if (!data.content.Read(8, raw, static_cast<std::size_t>(size)))
        return SourceDate::None(NoDateReason::damaged);
    SourceDate date;
    switch (ReadIsoDateTime(StoredText(std::string_view(raw, static_cast<std::size_t>(size))), &date)) {
    case DateTextRead::read:
        return date;
    case DateTextRead::absent:
        return SourceDate::None(NoDateReason::noDate);
    case DateTextRead::invalid:
        break;
    }
    return SourceDate::None(NoDateReason::impossibleDate);
}

// The movie header's creation time: seconds since 1904-01-01 UTC, 0 where unknown.
SourceDate MovieHeaderDate(const ByteRange& mvhd)
{
    std::uint8_t version = 0;
    std::uint64_t seconds = 0;
    if (!mvhd.U8(0, &version) || !mvhd.Unsigned(4, version == 1 ? 8 : 4, ByteOrder::bigEndian, &seconds))
        return SourceDate::None(NoDateReason::damaged);
    if (seconds == 0)
        return SourceDate::None(NoDateReason::noDate);
    const std::int64_t from1601 = DaysSinceEpoch(1904, 1, 1) - DaysSinceEpoch(1601, 1, 1);
    const std::int64_t until10000 = DaysSinceEpoch(10000, 1, 1) - DaysSinceEpoch(1904, 1, 1);
    if (seconds >= static_cast<std::uint64_t>(until10000) * 86400)
        return SourceDate::None(NoDateReason::impossibleDate);
    return SourceDate::Instant((seconds + static_cast<std::uint64_t>(from1601) * 86400) * kTicksPerSecond);
}

} // namespace

SourceDate ReadVideoDate(const ByteRange& file)
{
    // A movie without its movie box was cut short.
    Box moov;
    if (FindBox(file, FourCc("moov"), &moov) != BoxFind::found)
        return SourceDate::None(NoDateReason::damaged);
    // QuickTime keeps the metadata box in the movie box, MP4 writers in its user data.
    Box meta;
    Box udta;
    if (FindBox(moov.content, FourCc("meta"), &meta) == BoxFind::found ||
        (FindBox(moov.content, FourCc("udta"), &udta) == BoxFind::found &&
         FindBox(udta.content, FourCc("meta"), &meta) == BoxFind::found)) {
        const SourceDate apple = AppleCreationDate(meta);
        if (apple.Found())
            return apple;
    }
    Box mvhd;
    const BoxFind header = FindBox(moov.content, FourCc("mvhd"), &mvhd);
    return header == BoxFind::found ? MovieHeaderDate(mvhd.content) : NoneOf(header);
}

SourceDate ReadCr3Date(const ByteRange& file)
{
    Box moov;
    const BoxFind movie = FindBox(file, FourCc("moov"), &moov);
    if (movie != BoxFind::found)
        return NoneOf(movie);
    BoxWalk walk(moov.content);
    Box canon;
    while (walk.Next(&canon)) {
        if (canon.type != FourCc("uuid") || std::memcmp(canon.uuid, kCanonUuid, sizeof kCanonUuid) != 0)
            continue;
        Box ifd0;
        Box exif;
        const bool hasIfd0 = FindBox(canon.content, FourCc("CMT1"), &ifd0) == BoxFind::found;
        const bool hasExif = FindBox(canon.content, FourCc("CMT2"), &exif) == BoxFind::found;
        return ReadExifDate(hasIfd0 ? &ifd0.content : nullptr, hasExif ? &exif.content : nullptr);
    }
    return SourceDate::None(walk.Damaged() ? NoDateReason::damaged : NoDateReason::noDate);
}
