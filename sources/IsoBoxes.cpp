#include "IsoBoxes.h"

namespace {

const int kMostBoxes = 100000;
// Fewer bytes than a box header left at the end of a stretch are padding.
const std::uint64_t kHeaderSize = 8;

} // namespace

bool BoxWalk::Next(Box* box)
{
    if (m_damaged || m_within.Length() - m_at < kHeaderSize)
        return false;
    if (++m_steps > kMostBoxes) {
        m_damaged = true;
        return false;
    }
    std::uint32_t size32 = 0;
    std::uint32_t type = 0;
    if (!m_within.U32(m_at, ByteOrder::bigEndian, &size32) || !m_within.U32(m_at + 4, ByteOrder::bigEndian, &type)) {
        m_damaged = true;
        return false;
    }
    std::uint64_t header = kHeaderSize;
    std::uint64_t size = size32;
    if (size32 == 1) {
        header += 8;
        if (!m_within.U64(m_at + 8, ByteOrder::bigEndian, &size)) {
            m_damaged = true;
            return false;
        }
    } else if (size32 == 0) {
        size = m_within.Length() - m_at; // to the end of what holds it
    }
    const bool isUuid = type == FourCc("uuid");
    if (isUuid)
        header += sizeof box->uuid;
    if (size < header || !m_within.Holds(m_at, size) ||
        (isUuid && !m_within.Read(m_at + header - sizeof box->uuid, box->uuid, sizeof box->uuid)) ||
        !m_within.Part(m_at + header, size - header, &box->content)) {
        m_damaged = true;
        return false;
    }
    box->type = type;
    m_at += size;
    return true;
}

BoxFind FindBox(const ByteRange& within, std::uint32_t type, Box* box)
{
    BoxWalk walk(within);
    while (walk.Next(box)) {
        if (box->type == type)
            return BoxFind::found;
    }
    return walk.Damaged() ? BoxFind::damaged : BoxFind::absent;
}

ByteRange MetaChildren(const Box& meta)
{
    std::uint32_t type = 0;
    ByteRange children = meta.content;
    if (meta.content.U32(4, ByteOrder::bigEndian, &type) && type == FourCc("hdlr"))
        return children;
    meta.content.Rest(4, &children);
    return children;
}
