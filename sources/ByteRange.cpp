#include "ByteRange.h"

#include <cstring>

bool ByteRange::Read(std::uint64_t offset, void* buffer, std::size_t size) const
{
    return Holds(offset, size) && (size == 0 || m_source->ReadAt(m_start + offset, buffer, size));
}

bool ByteRange::Part(std::uint64_t offset, std::uint64_t length, ByteRange* part) const
{
    if (!Holds(offset, length))
        return false;
    *part = ByteRange(m_source, m_start + offset, length);
    return true;
}

bool ByteRange::Unsigned(std::uint64_t offset, unsigned bytes, ByteOrder order, std::uint64_t* value) const
{
    std::uint8_t raw[8];
    if (bytes > sizeof raw || !Read(offset, raw, bytes))
        return false;
    std::uint64_t result = 0;
    for (unsigned i = 0; i < bytes; ++i) {
        const unsigned index = order == ByteOrder::bigEndian ? i : bytes - 1 - i;
        result = (result << 8) | raw[index];
    }
    *value = result;
    return true;
}

bool ByteRange::U8(std::uint64_t offset, std::uint8_t* value) const
{
    return Read(offset, value, 1);
}

bool ByteRange::U16(std::uint64_t offset, ByteOrder order, std::uint16_t* value) const
{
    std::uint64_t wide = 0;
    if (!Unsigned(offset, 2, order, &wide))
        return false;
    *value = static_cast<std::uint16_t>(wide);
    return true;
}

bool ByteRange::U32(std::uint64_t offset, ByteOrder order, std::uint32_t* value) const
{
    std::uint64_t wide = 0;
    if (!Unsigned(offset, 4, order, &wide))
        return false;
    *value = static_cast<std::uint32_t>(wide);
    return true;
}

bool ByteRange::U64(std::uint64_t offset, ByteOrder order, std::uint64_t* value) const
{
    return Unsigned(offset, 8, order, value);
}

bool ByteRange::Matches(std::uint64_t offset, const void* expected, std::size_t size) const
{
    std::uint8_t actual[16];
    return size <= sizeof actual && Read(offset, actual, size) && std::memcmp(actual, expected, size) == 0;
}
