// The bytes of an open file for the readers of dates: its first 64 KiB read in one go,
// where the dates of most files lie, anything further in small blocks at the offsets
// asked for, never the whole file.
#pragma once

#include "sources/ByteSource.h"

#include <windows.h>
#include <cstdint>
#include <vector>

class FileByteSource final : public ByteSource {
public:
    // `file` is read, not owned, from the position of each read; its size is taken now
    // (0 where it cannot be, so that every read fails).
    explicit FileByteSource(HANDLE file);

    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;
    // Bytes asked of the file so far.
    std::uint64_t BytesFetched() const { return m_fetched; }

private:
    bool Fetch(std::uint64_t offset, void* buffer, std::size_t size);

    HANDLE m_file;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_head;  // from offset 0, once read
    std::vector<std::uint8_t> m_block; // from m_blockStart
    std::uint64_t m_blockStart = 0;
    std::uint64_t m_fetched = 0;
};
