#pragma once
// A picture whose four quarters differ, and what a decoded picture shows in
// its quarters: enough to tell a picture upright from one turned, mirrored
// or with its width and height mixed up.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

namespace kestrova::test {

// A picture as rows of 8-bit RGB.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// width x height in quarters: red and green above, blue and yellow below,
// so that a turn, a mirror and a missing swap of width and height all show.
inline RgbPicture QuarterPicture(int width, int height) {
    RgbPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool lower = y >= height / 2;
            const std::uint8_t red = lower == right ? 255 : 0;
            const std::uint8_t green = right ? 255 : 0;
            const std::uint8_t blue = lower && !right ? 255 : 0;
            picture.rgb.insert(picture.rgb.end(), {red, green, blue});
        }
    }
    return picture;
}

// The quarters RGBY of QuarterPicture where a viewer shows them once a
// picture stored so and tagged with an EXIF orientation (1..8) is upright:
// top left, top right, bottom left, bottom right.
inline const char* UprightQuarters(int orientation) {
    static const char* const kQuarters[] = {"", "RGBY", "GRYB", "YBGR", "BYRG", "RBGY", "BRYG", "YGBR", "GYRB"};
    return kQuarters[orientation];
}

// The colour in the middle of each quarter of a decoded (ARGB) picture, as
// R, G, B, Y or ? for none of them, in the order of UprightQuarters.
inline std::string QuartersOf(const Picture& picture) {
    if (picture.Empty()) return {};
    std::string out;
    for (int y4 : {1, 3}) {
        for (int x4 : {1, 3}) {
            const std::uint32_t argb =
                picture.pixels[static_cast<size_t>(picture.height * y4 / 4) * static_cast<size_t>(picture.width) +
                               static_cast<size_t>(picture.width * x4 / 4)];
            const int r = argb >> 16 & 0xff, g = argb >> 8 & 0xff, b = argb & 0xff;
            const bool rh = r > 160, gh = g > 160, bh = b > 160, rl = r < 96, gl = g < 96, bl = b < 96;
            out += rh && gl && bl ? 'R' : gh && rl && bl ? 'G' : bh && rl && gl ? 'B' : rh && gh && bl ? 'Y' : '?';
        }
    }
    return out;
}

}  // namespace kestrova::test
