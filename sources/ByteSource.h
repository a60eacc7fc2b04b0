// The bytes of a file or a buffer, read by offset within a size known beforehand. The
// readers of dates take their input through this alone, so that no reader can reach past
// what it was given.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `size` bytes from `offset`; false, with nothing promised in `buffer`, where the
    // stretch passes Size() or cannot be read.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

// Bytes in memory, not owned.
class MemoryByteSource final : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size) : m_data(static_cast<const std::uint8_t*>(data)), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};
