#include "ExifDate.h"

#include "DateText.h"

#include <initializer_list>
#include <string>

namespace {

// The three dates in the order they are taken, each with its sub-second and offset tags.
enum Slot {
    originalDate, originalSubSecond, originalOffset,
    digitizedDate, digitizedSubSecond, digitizedOffset,
    modifyDate, modifySubSecond, modifyOffset,
    slotCount
};
const struct {
    std::uint16_t tag;
    Slot slot;
} kDateTags[] = {
    {0x9003, originalDate},  {0x9291, originalSubSecond},  {0x9011, originalOffset},
    {0x9004, digitizedDate}, {0x9292, digitizedSubSecond}, {0x9012, digitizedOffset},
    {0x0132, modifyDate},    {0x9290, modifySubSecond},    {0x9010, modifyOffset},
};
const std::uint16_t kExifIfdPointer = 0x8769;
const std::uint16_t kTypeByte = 1, kTypeAscii = 2, kTypeLong = 4, kTypeUndefined = 7, kTypeIfd = 13;
const std::uint32_t kEntrySize = 12;
// Longer than any date, sub-second or offset text; a longer value is read this far.
const std::uint32_t kLongestText = 64;

struct DateTexts {
    std::string text[slotCount];
    bool present[slotCount] = {};
    bool damaged = false;
};

struct Tiff {
    ByteRange range;
    ByteOrder order;
};

bool OpenTiff(const ByteRange& range, Tiff* tiff, std::uint32_t* firstIfd)
{
    std::uint8_t mark[2];
    if (!range.Read(0, mark, 2) || mark[0] != mark[1] || (mark[0] != 'I' && mark[0] != 'M'))
        return false;
    const ByteOrder order = mark[0] == 'I' ? ByteOrder::littleEndian : ByteOrder::bigEndian;
    std::uint16_t magic = 0;
    if (!range.U16(2, order, &magic) || !range.U32(4, order, firstIfd))
        return false;
    // TIFF's 42; Olympus's "RO" and "RS"; Panasonic's "U".
    if (magic != 42 && magic != 0x4F52 && magic != 0x5352 && magic != 0x0055)
        return false;
    *tiff = {range, order};
    return true;
}

// The text of an entry whose value is bytes: within the entry up to four, else at its offset.
bool ReadEntryText(const Tiff& tiff, std::uint64_t entry, std::uint32_t count, std::string* text)
{
    std::uint64_t at = entry + 8;
    if (count > 4) {
        std::uint32_t offset = 0;
        if (!tiff.range.U32(entry + 8, tiff.order, &offset) || !tiff.range.Holds(offset, count))
            return false;
        at = offset;
    }
    char raw[kLongestText];
    const std::uint32_t size = count < kLongestText ? count : kLongestText;
    if (!tiff.range.Read(at, raw, size))
        return false;
    text->assign(raw, size);
    return true;
}

// Reads the date texts of one IFD into the slots still empty, and where it points to the
// Exif IFD, that offset.
void ReadIfd(const Tiff& tiff, std::uint32_t ifd, DateTexts* texts, std::uint32_t* exifIfd)
{
    std::uint16_t count = 0;
    if (!tiff.range.U16(ifd, tiff.order, &count) || !tiff.range.Holds(std::uint64_t{ifd} + 2, count * kEntrySize)) {
        texts->damaged = true;
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t entry = std::uint64_t{ifd} + 2 + i * kEntrySize;
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint32_t valueCount = 0;
        if (!tiff.range.U16(entry, tiff.order, &tag) || !tiff.range.U16(entry + 2, tiff.order, &type) ||
            !tiff.range.U32(entry + 4, tiff.order, &valueCount)) {
            texts->damaged = true;
            return;
        }
        if (tag == kExifIfdPointer && exifIfd != nullptr && (type == kTypeLong || type == kTypeIfd) && valueCount == 1) {
            if (!tiff.range.U32(entry + 8, tiff.order, exifIfd))
                texts->damaged = true;
            continue;
        }
        if (type != kTypeAscii && type != kTypeUndefined && type != kTypeByte)
            continue;
        for (const auto& date : kDateTags) {
            if (date.tag != tag || texts->present[date.slot])
                continue;
            if (ReadEntryText(tiff, entry, valueCount, &texts->text[date.slot]))
                texts->present[date.slot] = true;
            else
                texts->damaged = true;
        }
    }
}

// Reads the IFD a structure starts with, and the Exif IFD it points to where asked.
void ReadStructure(const ByteRange& range, DateTexts* texts, bool followExifIfd)
{
    Tiff tiff = {range, ByteOrder::littleEndian};
    std::uint32_t first = 0;
    if (!OpenTiff(range, &tiff, &first)) {
        texts->damaged = true;
        return;
    }
    std::uint32_t exifIfd = 0;
    ReadIfd(tiff, first, texts, followExifIfd ? &exifIfd : nullptr);
    // One step down, never further: no offset leads back.
    if (exifIfd != 0)
        ReadIfd(tiff, exifIfd, texts, nullptr);
}

SourceDate ChooseDate(const DateTexts& texts)
{
    bool impossible = false;
    for (Slot date : {originalDate, digitizedDate, modifyDate}) {
        if (!texts.present[date])
            continue;
        WallTime wall = {};
        const DateTextRead read = ReadExifDateTime(StoredText(texts.text[date]), &wall);
        if (read != DateTextRead::read) {
            impossible = impossible || read == DateTextRead::invalid;
            continue;
        }
        const Slot subSecond = static_cast<Slot>(date + 1);
        const Slot offset = static_cast<Slot>(date + 2);
        if (texts.present[subSecond])
            wall.ticks = ReadSubSecondTicks(StoredText(texts.text[subSecond]));
        int minutes = 0;
        if (!texts.present[offset] || !ReadOffsetText(StoredText(texts.text[offset]), &minutes))
            return SourceDate::Wall(wall);
        std::uint64_t ticks = 0;
        if (InstantOf(wall, minutes, &ticks))
            return SourceDate::Instant(ticks);
        impossible = true;
    }
    if (impossible)
        return SourceDate::None(NoDateReason::impossibleDate);
    return SourceDate::None(texts.damaged ? NoDateReason::damaged : NoDateReason::noDate);
}

} // namespace

SourceDate ReadExifDate(const ByteRange& tiff)
{
    DateTexts texts;
    ReadStructure(tiff, &texts, true);
    return ChooseDate(texts);
}

SourceDate ReadExifDate(const ByteRange* ifd0Tiff, const ByteRange* exifTiff)
{
    DateTexts texts;
    if (exifTiff != nullptr)
        ReadStructure(*exifTiff, &texts, false);
    if (ifd0Tiff != nullptr)
        ReadStructure(*ifd0Tiff, &texts, false);
    return ChooseDate(texts);
}
