// A stretch of a byte source that a reader may read and nothing beyond it: every offset a
// format gives is taken relative to the stretch and checked against its length first.
#pragma once

#include "ByteSource.h"

#include <cstddef>
#include <cstdint>

enum class ByteOrder { littleEndian, bigEndian };

class ByteRange {
public:
    // Holds nothing.
    ByteRange() : m_source(nullptr), m_start(0), m_length(0) {}
    explicit ByteRange(ByteSource& source) : m_source(&source), m_start(0), m_length(source.Size()) {}

    std::uint64_t Length() const { return m_length; }
    // Whether `size` bytes from `offset` lie within the stretch (no overflow on any input).
    bool Holds(std::uint64_t offset, std::uint64_t size) const { return offset <= m_length && size <= m_length - offset; }

    bool Read(std::uint64_t offset, void* buffer, std::size_t size) const;
    // The stretch of `length` bytes from `offset`; false where it does not lie within this one.
    bool Part(std::uint64_t offset, std::uint64_t length, ByteRange* part) const;
    // From `offset` to the end.
    bool Rest(std::uint64_t offset, ByteRange* part) const { return offset <= m_length && Part(offset, m_length - offset, part); }

    bool U8(std::uint64_t offset, std::uint8_t* value) const;
    bool U16(std::uint64_t offset, ByteOrder order, std::uint16_t* value) const;
    bool U32(std::uint64_t offset, ByteOrder order, std::uint32_t* value) const;
    bool U64(std::uint64_t offset, ByteOrder order, std::uint64_t* value) const;
    // An unsigned number of 0, 1, 2, 4 or 8 bytes (a size the format gives); 0 bytes read as 0.
    bool Unsigned(std::uint64_t offset, unsigned bytes, ByteOrder order, std::uint64_t* value) const;
    // Whether the bytes at `offset` are `expected` (its `size` bytes).
    bool Matches(std::uint64_t offset, const void* expected, std::size_t size) const;

private:
    ByteRange(ByteSource* source, std::uint64_t start, std::uint64_t length)
        : m_source(source), m_start(start), m_length(length) {}

    ByteSource* m_source;
    std::uint64_t m_start;
    std::uint64_t m_length;
};
