// Pictures turned upright: a stored picture turned and mirrored the eight
// ways an orientation counts, and the orientation a WebP file's EXIF chunk
// gives, read without decoding: in either byte order, past chunks of any
// (odd) size, and 1 for anything missing, damaged or out of range, never a
// crash or a huge read.
#include <gtest/gtest.h>

#include "platform/pictures/picture_load.h"
#include "platform/pictures/webp_header.h"
#include "support/quarter_picture.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

Picture ToPicture(const test::RgbPicture& rgb) {
    Picture picture{rgb.width, rgb.height, {}, {}};
    for (size_t i = 0; i + 2 < rgb.rgb.size(); i += 3) {
        picture.pixels.push_back(0xff000000u | std::uint32_t{rgb.rgb[i]} << 16 | std::uint32_t{rgb.rgb[i + 1]} << 8 | rgb.rgb[i + 2]);
    }
    return picture;
}

TEST(Upright, EachOrientationTurnsAndMirrorsTheStoredPicture) {
    const Picture stored = ToPicture(test::QuarterPicture(6, 4));
    for (int orientation = 0; orientation <= 9; ++orientation) {
        const Picture seen = Upright(stored, orientation);
        const bool known = orientation >= 1 && orientation <= 8;
        const bool sideways = orientation >= 5 && orientation <= 8;
        EXPECT_EQ(seen.width, sideways ? 4 : 6) << orientation;
        EXPECT_EQ(seen.height, sideways ? 6 : 4) << orientation;
        EXPECT_EQ(test::QuartersOf(seen), known ? test::UprightQuarters(orientation) : "RGBY") << orientation;
    }
    EXPECT_TRUE(Upright(Picture{}, 6).Empty());
}

std::string Little32(std::uint32_t v) {
    return {static_cast<char>(v & 0xff), static_cast<char>(v >> 8 & 0xff), static_cast<char>(v >> 16 & 0xff),
            static_cast<char>(v >> 24)};
}

// EXIF data in TIFF form: one directory with one entry.
std::string Exif(bool little, std::uint16_t tag, std::uint16_t type, std::uint16_t value) {
    auto put16 = [little](std::string& out, std::uint16_t v) {
        const char hi = static_cast<char>(v >> 8), lo = static_cast<char>(v & 0xff);
        out += little ? lo : hi;
        out += little ? hi : lo;
    };
    std::string out = little ? "II" : "MM";
    put16(out, 42);
    out += little ? std::string("\x08\0\0\0", 4) : std::string("\0\0\0\x08", 4);
    put16(out, 1);
    put16(out, tag);
    put16(out, type);
    out += little ? std::string("\x01\0\0\0", 4) : std::string("\0\0\0\x01", 4);
    put16(out, value);
    out += std::string(6, '\0');  // the rest of the value field, no next directory
    return out;
}

TEST(ExifOrientation, TheFirstDirectorysTagOrOne) {
    const std::string six = Exif(true, 0x0112, 3, 6);
    const std::pair<std::string, int> cases[] = {
        {six, 6},
        {Exif(false, 0x0112, 3, 3), 3},
        {std::string("Exif\0\0", 6) + Exif(true, 0x0112, 3, 8), 8},
        {Exif(true, 0x0112, 3, 9), 1},       // no orientation
        {Exif(true, 0x0112, 4, 6), 1},       // not a SHORT
        {Exif(true, 0x0110, 3, 6), 1},       // another tag
        {six.substr(0, six.size() - 8), 1},  // cut short in the entry
        {"XX" + six.substr(2), 1},           // no byte order
        {"", 1},
    };
    for (const auto& [exif, orientation] : cases) EXPECT_EQ(ExifOrientation(exif), orientation) << ::testing::PrintToString(exif);
}

std::string Chunk(const std::string& fourcc, const std::string& data) {
    return fourcc + Little32(static_cast<std::uint32_t>(data.size())) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}

std::string Riff(const std::string& chunks) { return "RIFF" + Little32(static_cast<std::uint32_t>(chunks.size() + 4)) + "WEBP" + chunks; }

TEST(WebpOrientation, FoundPastTheOtherChunksOrOne) {
    testing::TempDir dir;
    const std::string exif = Chunk("EXIF", Exif(true, 0x0112, 3, 6));
    const std::pair<std::string, int> cases[] = {
        {Riff(Chunk("VP8X", std::string(10, '\0')) + Chunk("VP8L", "odd") + exif), 6},
        {Riff(Chunk("VP8L", "odd") + Chunk("XMP ", "<x/>")), 1},
        {Riff(Chunk("VP8L", "odd") + "EXIF" + Little32(0xfffffff0u) + "II"), 1},  // claims 4 GB
        {Riff(Chunk("VP8L", "odd") + exif.substr(0, 12)), 1},                       // cut short
        {"RIFF" + Little32(4) + "WAVE" + exif, 1},
        {"", 1},
    };
    int n = 0;
    for (const auto& [bytes, orientation] : cases) {
        const std::string name = "写真" + std::to_string(++n) + ".webp";  // a name beyond ASCII
        dir.Write(name, bytes);
        EXPECT_EQ(WebpOrientation(dir / name), orientation) << name;
    }
    EXPECT_EQ(WebpOrientation(dir / "none.webp"), 1);
}

}  // namespace
}  // namespace kestrova
