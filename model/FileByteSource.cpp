#include "FileByteSource.h"

#include <cstring>

namespace {

const std::size_t kHeadSize = 64 * 1024;
const std::size_t kBlockSize = 4 * 1024;

} // namespace

FileByteSource::FileByteSource(HANDLE file) : m_file(file)
{
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
        m_size = static_cast<std::uint64_t>(size.QuadPart);
}

bool FileByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > m_size || size > m_size - offset)
        return false;
    if (size == 0)
        return true;
    const std::size_t headSize = m_size < kHeadSize ? static_cast<std::size_t>(m_size) : kHeadSize;
    if (offset + size <= headSize) {
        if (m_head.empty()) {
            m_head.resize(headSize);
            if (!Fetch(0, m_head.data(), headSize)) {
                m_head.clear();
                return false;
            }
        }
        std::memcpy(buffer, m_head.data() + offset, size);
        return true;
    }
    if (offset >= m_blockStart && offset + size <= m_blockStart + m_block.size()) {
        std::memcpy(buffer, m_block.data() + (offset - m_blockStart), size);
        return true;
    }
    if (size > kBlockSize)
        return Fetch(offset, buffer, size);
    const std::size_t blockSize = m_size - offset < kBlockSize ? static_cast<std::size_t>(m_size - offset) : kBlockSize;
    m_block.resize(blockSize);
    m_blockStart = offset;
    if (!Fetch(offset, m_block.data(), blockSize)) {
        m_block.clear();
        return false;
    }
    std::memcpy(buffer, m_block.data(), size);
    return true;
}

bool FileByteSource::Fetch(std::uint64_t offset, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (size > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD wanted = size < 0x10000000 ? static_cast<DWORD>(size) : 0x10000000;
        DWORD got = 0;
        if (!ReadFile(m_file, bytes, wanted, &got, &at) || got == 0)
            return false;
        m_fetched += got;
        bytes += got;
        offset += got;
        size -= got;
    }
    return true;
}
