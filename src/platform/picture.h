#pragma once
#include <cstdint>
#include <vector>

namespace kestrova {

// A decoded picture: natural size in pixels and 32-bit ARGB pixels, row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Empty() const { return width <= 0 || height <= 0; }
};

}  // namespace kestrova
