// How finely a HEIF file's colour is sampled, read from its HEVC or AV1
// configuration box without decoding; the most when it cannot be told.
#include <gtest/gtest.h>

#include "platform/pictures/heif_header.h"
#include "platform/system/files.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

// A configuration box's type and the payload bytes up to the one that
// tells the sampling.
std::string Hevc(int chroma_format) { return "hvcC" + std::string(16, '\x01') + static_cast<char>(0xfc | chroma_format); }
std::string Av1(unsigned char flags) { return std::string("av1C\x81\x08", 6) + static_cast<char>(flags); }

TEST(HeifSamplesPerPixel, ByTheCodecConfiguration) {
    testing::TempDir dir;
    const std::string box_head("\0\0\0\x20", 4);
    const std::pair<std::string, double> cases[] = {
        {Hevc(0), 1.0},
        {Hevc(1), 1.5},
        {Hevc(2), 2.0},
        {Hevc(3), 3.0},
        {Av1(0x0c), 1.5},                       // subsampled both ways
        {Av1(0x08), 2.0},                       // across only
        {Av1(0x00), 3.0},
        {Av1(0x1c), 1.0},                       // grey
        {Hevc(1) + "..." + Hevc(3), 3.0},       // a tile and a thumbnail: the most
        {"ftypheic" + std::string(64, '\0'), 3.0},  // none to be read
        {"hvcC\x01", 3.0},                      // cut short
    };
    int n = 0;
    for (const auto& [bytes, samples] : cases) {
        const std::string name = "写真" + std::to_string(++n) + ".heic";
        dir.Write(name, box_head + bytes);
        EXPECT_EQ(HeifSamplesPerPixel(ReadFileHead(dir / name, kHeifHeadBytes)), samples) << name;
    }
    EXPECT_EQ(HeifSamplesPerPixel(ReadFileHead(dir / "none.heic", kHeifHeadBytes)), 3.0);
}

}  // namespace
}  // namespace kestrova
