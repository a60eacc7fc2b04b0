#include "ContainerDates.h"

#include "ExifDate.h"
#include "IsoBoxes.h"

namespace {

// How a look-up in the item boxes ended.
enum class ItemFind { found, absent, damaged };

bool IsFieldSize(std::uint8_t size)
{
    return size == 0 || size == 4 || size == 8;
}

// The id of the first item of type 'Exif' in the item information box.
ItemFind FindExifItem(const ByteRange& iinf, std::uint32_t* itemId)
{
    std::uint8_t version = 0;
    if (!iinf.U8(0, &version))
        return ItemFind::damaged;
    ByteRange entries;
    if (!iinf.Rest(version == 0 ? 6 : 8, &entries))
        return ItemFind::damaged;
    BoxWalk walk(entries);
    Box infe;
    while (walk.Next(&infe)) {
        std::uint8_t infeVersion = 0;
        if (infe.type != FourCc("infe") || !infe.content.U8(0, &infeVersion) || infeVersion < 2)
            continue;
        std::uint32_t id = 0;
        std::uint32_t type = 0;
        std::uint16_t shortId = 0;
        const bool read = infeVersion == 2 ? infe.content.U16(4, ByteOrder::bigEndian, &shortId) &&
                                                 infe.content.U32(8, ByteOrder::bigEndian, &type)
                                           : infe.content.U32(4, ByteOrder::bigEndian, &id) &&
                                                 infe.content.U32(10, ByteOrder::bigEndian, &type);
        if (!read)
            return ItemFind::damaged;
        if (type == FourCc("Exif")) {
            *itemId = infeVersion == 2 ? shortId : id;
            return ItemFind::found;
        }
    }
    return walk.Damaged() ? ItemFind::damaged : ItemFind::absent;
}

struct ItemPlace {
    std::uint8_t construction = 0; // 0: in the file, 1: in the 'idat' box
    std::uint64_t offset = 0;
    std::uint64_t length = 0;      // 0: to the end
};

// The place of an item of one extent in the item location box (versions 0 to 2).
ItemFind FindItemPlace(const ByteRange& iloc, std::uint32_t itemId, ItemPlace* place)
{
    const ByteOrder big = ByteOrder::bigEndian;
    std::uint8_t version = 0;
    std::uint8_t sizes[2];
    if (!iloc.U8(0, &version) || version > 2 || !iloc.Read(4, sizes, 2))
        return ItemFind::damaged;
    const std::uint8_t offsetSize = sizes[0] >> 4;
    const std::uint8_t lengthSize = sizes[0] & 15;
    const std::uint8_t baseOffsetSize = sizes[1] >> 4;
    const std::uint8_t indexSize = version == 0 ? 0 : sizes[1] & 15;
    if (!IsFieldSize(offsetSize) || !IsFieldSize(lengthSize) || !IsFieldSize(baseOffsetSize) || !IsFieldSize(indexSize))
        return ItemFind::damaged;
    const unsigned idSize = version == 2 ? 4 : 2;
    std::uint64_t at = 6;
    std::uint64_t itemCount = 0;
    if (!iloc.Unsigned(at, idSize, big, &itemCount))
        return ItemFind::damaged;
    at += idSize;
    const std::uint64_t extentSize = std::uint64_t{indexSize} + offsetSize + lengthSize;
    // Each item takes at least four bytes, so the count is walked no further than the box.
    for (std::uint64_t item = 0; item < itemCount; ++item) {
        std::uint64_t id = 0;
        std::uint16_t method = 0;
        std::uint64_t baseOffset = 0;
        std::uint16_t extentCount = 0;
        if (!iloc.Unsigned(at, idSize, big, &id))
            return ItemFind::damaged;
        at += idSize;
        if (version > 0) {
            if (!iloc.U16(at, big, &method))
                return ItemFind::damaged;
            at += 2;
        }
        at += 2; // the data reference: this file
        if (!iloc.Unsigned(at, baseOffsetSize, big, &baseOffset) || !iloc.U16(at + baseOffsetSize, big, &extentCount))
            return ItemFind::damaged;
        at += baseOffsetSize + 2;
        if (id == itemId) {
            std::uint64_t offset = 0;
            std::uint64_t length = 0;
            if (extentCount != 1 || !iloc.Unsigned(at + indexSize, offsetSize, big, &offset) ||
                !iloc.Unsigned(at + indexSize + offsetSize, lengthSize, big, &length) || offset > ~baseOffset)
                return ItemFind::damaged;
            *place = {static_cast<std::uint8_t>(method & 15), baseOffset + offset, length};
            return ItemFind::found;
        }
        at += extentCount * extentSize;
        if (!iloc.Holds(at, 0))
            return ItemFind::damaged;
    }
    return ItemFind::absent;
}

} // namespace

SourceDate ReadHeifDate(const ByteRange& file)
{
    Box meta;
    switch (FindBox(file, FourCc("meta"), &meta)) {
    case BoxFind::found:
        break;
    case BoxFind::absent:
        return SourceDate::None(NoDateReason::noDate);
    case BoxFind::damaged:
        return SourceDate::None(NoDateReason::damaged);
    }
    const ByteRange children = MetaChildren(meta);
    Box iinf;
    Box iloc;
    std::uint32_t itemId = 0;
    ItemPlace place;
    if (FindBox(children, FourCc("iinf"), &iinf) != BoxFind::found)
        return SourceDate::None(NoDateReason::noDate);
    switch (FindExifItem(iinf.content, &itemId)) {
    case ItemFind::found:
        break;
    case ItemFind::absent:
        return SourceDate::None(NoDateReason::noDate);
    case ItemFind::damaged:
        return SourceDate::None(NoDateReason::damaged);
    }
    if (FindBox(children, FourCc("iloc"), &iloc) != BoxFind::found ||
        FindItemPlace(iloc.content, itemId, &place) != ItemFind::found)
        return SourceDate::None(NoDateReason::damaged);
    ByteRange holder = file;
    if (place.construction == 1) {
        Box idat;
        if (FindBox(children, FourCc("idat"), &idat) != BoxFind::found)
            return SourceDate::None(NoDateReason::damaged);
        holder = idat.content;
    } else if (place.construction != 0) {
        return SourceDate::None(NoDateReason::damaged);
    }
    ByteRange item;
    const bool placed = place.length == 0 ? holder.Rest(place.offset, &item) : holder.Part(place.offset, place.length, &item);
    // The item starts with the offset from its fifth byte to the TIFF header ("Exif\0\0" between).
    std::uint32_t headerOffset = 0;
    ByteRange tiff;
    if (!placed || !item.U32(0, ByteOrder::bigEndian, &headerOffset) || !item.Rest(4 + std::uint64_t{headerOffset}, &tiff))
        return SourceDate::None(NoDateReason::damaged);
    return ReadExifDate(tiff);
}
