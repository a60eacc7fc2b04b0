#include "ByteSource.h"

#include <cstring>

bool MemoryByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size)
{
    if (offset > m_size || size > m_size - offset)
        return false;
    if (size != 0)
        std::memcpy(buffer, m_data + offset, size);
    return true;
}
