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

bool WithinDecodeBudget(PixelSize size, int bytes_per_pixel, std::int64_t decoder_bytes) {
    if (size.Empty() || bytes_per_pixel <= 0) return false;
    const double bytes = static_cast<double>(size.width) * size.height * bytes_per_pixel + static_cast<double>(decoder_bytes);
    return bytes <= static_cast<double>(kPictureDecodeBudgetBytes);
}

}  // namespace kestrova
