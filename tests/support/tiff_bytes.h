#pragma once
// Small TIFF files written byte by byte, so a test chooses exactly which
// tags they carry (an orientation, several pages, a huge size) whatever
// encoder the system has.
#include <cstdint>
#include <string>
#include <vector>

#include "support/quarter_picture.h"

namespace kestrova::test {

namespace tiff_detail {

inline void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8 & 0xff);
}

inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

inline void Set32(std::string& out, size_t at, std::uint32_t v) {
    std::string bytes;
    Put32(bytes, v);
    out.replace(at, 4, bytes);
}

struct Entry {
    std::uint32_t tag, type, count, value;
};

constexpr std::uint32_t kShort = 3;
constexpr std::uint32_t kLong = 4;

// One image directory at the end of `out`, linked from the offset at `link`;
// returns where its own link to a next directory is.
inline size_t PutDirectory(std::string& out, size_t link, const std::vector<Entry>& entries) {
    if (out.size() % 2) out += '\0';  // directories start on a word
    Set32(out, link, static_cast<std::uint32_t>(out.size()));
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        Put16(out, e.tag);
        Put16(out, e.type);
        Put32(out, e.count);
        Put32(out, e.value);
    }
    const size_t next = out.size();
    Put32(out, 0);
    return next;
}

inline std::uint32_t PutBitsPerSample(std::string& out) {
    const auto at = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 3; ++i) Put16(out, 8);
    return at;
}

}  // namespace tiff_detail

// A little-endian TIFF of uncompressed RGB pages, one strip each, every page
// tagged with `orientation` (0: no tag).
inline std::string TiffBytes(const std::vector<RgbPicture>& pages, int orientation) {
    using namespace tiff_detail;
    std::string out("II*\0", 4);
    Put32(out, 0);
    size_t link = 4;
    for (const RgbPicture& page : pages) {
        const auto pixels_at = static_cast<std::uint32_t>(out.size());
        out.append(page.rgb.begin(), page.rgb.end());
        const std::uint32_t bits_at = PutBitsPerSample(out);
        std::vector<Entry> entries = {
            {256, kLong, 1, static_cast<std::uint32_t>(page.width)}, {257, kLong, 1, static_cast<std::uint32_t>(page.height)},
            {258, kShort, 3, bits_at}, {259, kShort, 1, 1}, {262, kShort, 1, 2}, {273, kLong, 1, pixels_at},
        };
        if (orientation) entries.push_back({274, kShort, 1, static_cast<std::uint32_t>(orientation)});
        entries.insert(entries.end(), {{277, kShort, 1, 3},
                                       {278, kLong, 1, static_cast<std::uint32_t>(page.height)},
                                       {279, kLong, 1, static_cast<std::uint32_t>(page.rgb.size())}});
        link = PutDirectory(out, link, entries);
    }
    return out;
}

// A valid mid-grey TIFF of any size in a few kilobytes: tiles of 256 x 256,
// every one of them the same PackBits-compressed tile, stored once.
inline std::string GreyTiledTiffBytes(int width, int height) {
    using namespace tiff_detail;
    constexpr int kTile = 256;
    constexpr int kRun = 128;
    const auto tiles = static_cast<std::uint32_t>(((width + kTile - 1) / kTile) * ((height + kTile - 1) / kTile));
    std::string tile;
    for (int i = 0; i < kTile * kTile * 3 / kRun; ++i) tile += "\x81\x80";  // 128 bytes of 0x80
    std::string out("II*\0", 4);
    Put32(out, 0);
    const std::uint32_t bits_at = PutBitsPerSample(out);
    const auto offsets_at = static_cast<std::uint32_t>(out.size());
    const std::uint32_t counts_at = offsets_at + 4 * tiles;
    const std::uint32_t tile_at = counts_at + 4 * tiles;
    for (std::uint32_t i = 0; i < tiles; ++i) Put32(out, tile_at);
    for (std::uint32_t i = 0; i < tiles; ++i) Put32(out, static_cast<std::uint32_t>(tile.size()));
    out += tile;
    PutDirectory(out, 4,
                 {{256, kLong, 1, static_cast<std::uint32_t>(width)}, {257, kLong, 1, static_cast<std::uint32_t>(height)},
                  {258, kShort, 3, bits_at}, {259, kShort, 1, 32773}, {262, kShort, 1, 2}, {277, kShort, 1, 3},
                  {284, kShort, 1, 1}, {322, kShort, 1, kTile}, {323, kShort, 1, kTile}, {324, kLong, tiles, offsets_at},
                  {325, kLong, tiles, counts_at}});
    return out;
}

}  // namespace kestrova::test
