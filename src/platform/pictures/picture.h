#pragma once
#include <cstdint>
#include <vector>

namespace kestrova {

// A decoded picture: natural size in pixels and 32-bit ARGB pixels, row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    // The same picture drawn again at 2, 3... times the pixel density (each
    // n times as wide and high), so a scaled screen shows it sharp instead of
    // blown up. Pictures loaded from files have none.
    std::vector<Picture> denser;

    bool Empty() const { return width <= 0 || height <= 0; }
};

}  // namespace kestrova
