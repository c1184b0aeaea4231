#include "picture_load.h"

#include <algorithm>
#include <cmath>

namespace kestrova {

PixelSize FitInside(PixelSize natural, PixelSize box) {
    if (natural.Empty() || box.Empty()) return natural;
    if (natural.width <= box.width && natural.height <= box.height) return natural;
    const double scale = std::min(static_cast<double>(box.width) / natural.width,
                                  static_cast<double>(box.height) / natural.height);
    // At least a pixel each way, so a long thin picture stays a picture.
    return {std::max(1, static_cast<int>(std::lround(natural.width * scale))),
            std::max(1, static_cast<int>(std::lround(natural.height * scale)))};
}

StoredFit FitStoredInside(PixelSize stored, int orientation, PixelSize box) {
    const bool sideways = orientation >= 5 && orientation <= 8;
    const auto turned = [sideways](PixelSize size) { return sideways ? PixelSize{size.height, size.width} : size; };
    const PixelSize natural = turned(stored);
    return {natural, turned(FitInside(natural, box))};
}

Picture Upright(const Picture& stored, int orientation) {
    if (orientation < 2 || orientation > 8 || stored.Empty()) return stored;
    const int w = stored.width;
    const int h = stored.height;
    Picture seen;
    seen.width = orientation >= 5 ? h : w;
    seen.height = orientation >= 5 ? w : h;
    seen.pixels.resize(stored.pixels.size());
    for (int y = 0; y < seen.height; ++y) {
        for (int x = 0; x < seen.width; ++x) {
            // Where the pixel seen at (x, y) is stored.
            int sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;
                case 3: sx = w - 1 - x, sy = h - 1 - y; break;
                case 4: sy = h - 1 - y; break;
                case 5: sx = y, sy = x; break;
                case 6: sx = y, sy = h - 1 - x; break;
                case 7: sx = w - 1 - y, sy = h - 1 - x; break;
                case 8: sx = w - 1 - y, sy = x; break;
            }
            seen.pixels[static_cast<size_t>(y) * static_cast<size_t>(seen.width) + static_cast<size_t>(x)] =
                stored.pixels[static_cast<size_t>(sy) * static_cast<size_t>(w) + static_cast<size_t>(sx)];
        }
    }
    return seen;
}

bool WithinDecodeBudget(PixelSize size, int bytes_per_pixel, std::int64_t decoder_bytes) {
    if (size.Empty() || bytes_per_pixel <= 0) return false;
    const double bytes = static_cast<double>(size.width) * size.height * bytes_per_pixel + static_cast<double>(decoder_bytes);
    return bytes <= static_cast<double>(kPictureDecodeBudgetBytes);
}

bool PixelCountWithinBudget(PixelSize stored) { return WithinDecodeBudget(stored, 4); }

}  // namespace kestrova
