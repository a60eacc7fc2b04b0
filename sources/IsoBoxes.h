// The boxes (QuickTime's atoms) of ISO base media files, the structure of HEIF images,
// CR3 raw files and MP4 and QuickTime videos.
#pragma once

#include "ByteRange.h"

#include <cstdint>

constexpr std::uint32_t FourCc(const char (&text)[5])
{
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3]));
}

struct Box {
    std::uint32_t type = 0;
    std::uint8_t uuid[16] = {}; // a 'uuid' box's own type
    ByteRange content;          // after the header (and the uuid)
};

// The boxes that lie one after another in a stretch, in order. Each step moves past a
// whole box of at least its header, and a walk gives up after far more boxes than a file has.
class BoxWalk {
public:
    explicit BoxWalk(const ByteRange& within) : m_within(within) {}
    // The next box; false at the end of the stretch, or where a box does not fit (Damaged()).
    bool Next(Box* box);
    bool Damaged() const { return m_damaged; }

private:
    ByteRange m_within;
    std::uint64_t m_at = 0;
    int m_steps = 0;
    bool m_damaged = false;
};

enum class BoxFind { found, absent, damaged };

// The first box of `type` directly within the stretch.
BoxFind FindBox(const ByteRange& within, std::uint32_t type, Box* box);

// The boxes within a 'meta' box: after a version and flags in ISO files, straight after the
// header in QuickTime's.
ByteRange MetaChildren(const Box& meta);
