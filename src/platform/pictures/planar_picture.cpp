#include "planar_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrova {
namespace {

bool ValidPlane(const SamplePlane& plane) {
    return plane.Present() && plane.bits >= 1 && plane.bits <= 16 &&
           plane.stride >= static_cast<std::ptrdiff_t>(plane.width) * (plane.bits > 8 ? 2 : 1);
}

// Colour planes at the luma resolution or halved (rounded up) each way.
bool Subsampling(int luma, int colour, int& shift) {
    if (colour == luma) {
        shift = 0;
        return true;
    }
    if (colour == (luma + 1) / 2) {
        shift = 1;
        return true;
    }
    return false;
}

void ReadRow(const SamplePlane& plane, int y, std::vector<std::uint16_t>& row) {
    const std::uint8_t* line = plane.data + static_cast<std::ptrdiff_t>(y) * plane.stride;
    row.resize(static_cast<size_t>(plane.width));
    if (plane.bits > 8) {
        std::memcpy(row.data(), line, row.size() * sizeof(std::uint16_t));
    } else {
        std::copy(line, line + plane.width, row.begin());
    }
}

// The first source index a drawn index covers; drawn index i covers up to
// the first of i + 1.
int SpanStart(int drawn, int source_extent, int drawn_extent) {
    return static_cast<int>(std::int64_t{drawn} * source_extent / drawn_extent);
}

struct Sums {
    std::uint64_t luma = 0, cb = 0, cr = 0;  // each weighted by alpha
    std::uint64_t weight = 0;                // the alpha summed
    std::uint32_t count = 0;
};

struct Levels {
    double offset;  // the sample that means none
    double scale;   // from offset to full
};

// Luma from black to white, colour difference across its whole swing.
Levels LumaLevels(int bits, bool full_range) {
    const double unit = std::ldexp(1.0, bits - 8);
    if (full_range) return {0, std::ldexp(1.0, bits) - 1};
    return {16 * unit, 219 * unit};
}

Levels ColourLevels(int bits, bool full_range) {
    const double half = std::ldexp(1.0, bits - 1);
    if (full_range) return {half, std::ldexp(1.0, bits) - 1};
    return {half, 224 * std::ldexp(1.0, bits - 8)};
}

std::uint32_t ToByte(double unit) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(unit * 255.0), 0L, 255L));
}

class Converter {
public:
    explicit Converter(const PlanarPicture& p)
        : p_(p),
          grey_(!p.cb.Present()),
          luma_(LumaLevels(p.luma.bits, p.full_range)),
          colour_(ColourLevels(grey_ ? 8 : p.cb.bits, p.full_range)),
          alpha_max_(p.alpha.Present() ? std::ldexp(1.0, p.alpha.bits) - 1 : 1) {}

    std::uint32_t Pixel(const Sums& s) const {
        if (s.weight == 0 || s.count == 0) return 0;
        const double w = static_cast<double>(s.weight);
        const double y = (static_cast<double>(s.luma) / w - luma_.offset) / luma_.scale;
        const double cb = grey_ ? 0 : (static_cast<double>(s.cb) / w - colour_.offset) / colour_.scale;
        const double cr = grey_ ? 0 : (static_cast<double>(s.cr) / w - colour_.offset) / colour_.scale;
        double r, g, b;
        if (p_.matrix.identity && !grey_) {
            // Green in luma's place, blue and red in the colour planes,
            // which count from zero rather than from their middle.
            const double lift = p_.full_range ? colour_.offset / colour_.scale : 0.5;
            r = cr + lift, g = y, b = cb + lift;
        } else {
            const double kr = p_.matrix.kr, kb = p_.matrix.kb, kg = 1 - kr - kb;
            r = y + 2 * (1 - kr) * cr;
            b = y + 2 * (1 - kb) * cb;
            g = y - (2 * kb * (1 - kb) / kg) * cb - (2 * kr * (1 - kr) / kg) * cr;
        }
        const double alpha = p_.alpha.Present() ? w / s.count / alpha_max_ : 1;
        return ToByte(alpha) << 24 | ToByte(r) << 16 | ToByte(g) << 8 | ToByte(b);
    }

private:
    const PlanarPicture& p_;
    bool grey_;
    Levels luma_;
    Levels colour_;
    double alpha_max_;
};

}  // namespace

std::optional<ColourMatrix> ColourMatrixOf(int matrix_coefficients) {
    switch (matrix_coefficients) {
        case 0: return ColourMatrix{0, 0, true};
        case 1: return ColourMatrix{0.2126, 0.0722};
        case 4: return ColourMatrix{0.30, 0.11};
        case 7: return ColourMatrix{0.212, 0.087};
        case 9: return ColourMatrix{0.2627, 0.0593};
        case 8:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
        case 16: return std::nullopt;
        default: return ColourMatrix{};  // 2 (unspecified), 5, 6 and what is yet to come: BT.601
    }
}

Picture ReducedFromPlanes(const PlanarPicture& p, PixelSize size) {
    const SamplePlane& luma = p.luma;
    const bool grey = !p.cb.Present();
    const bool alpha = p.alpha.Present();
    int shift_x = 0, shift_y = 0;
    if (!ValidPlane(luma) || size.Empty() || size.width > luma.width || size.height > luma.height) return {};
    if (!grey && (!ValidPlane(p.cb) || !ValidPlane(p.cr) || p.cr.width != p.cb.width || p.cr.height != p.cb.height ||
                  !Subsampling(luma.width, p.cb.width, shift_x) || !Subsampling(luma.height, p.cb.height, shift_y))) {
        return {};
    }
    if (alpha && (!ValidPlane(p.alpha) || p.alpha.width != luma.width || p.alpha.height != luma.height)) return {};

    // Which drawn column each source column falls in.
    std::vector<int> column_of(static_cast<size_t>(luma.width));
    for (int dx = 0; dx < size.width; ++dx) {
        const int end = SpanStart(dx + 1, luma.width, size.width);
        for (int x = SpanStart(dx, luma.width, size.width); x < end; ++x) column_of[static_cast<size_t>(x)] = dx;
    }
    const Converter converter(p);
    Picture out;
    out.width = size.width;
    out.height = size.height;
    out.pixels.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    std::vector<Sums> sums(static_cast<size_t>(size.width));
    std::vector<std::uint16_t> y_row, cb_row, cr_row, a_row;
    for (int dy = 0; dy < size.height; ++dy) {
        std::fill(sums.begin(), sums.end(), Sums{});
        const int row_end = SpanStart(dy + 1, luma.height, size.height);
        for (int y = SpanStart(dy, luma.height, size.height); y < row_end; ++y) {
            ReadRow(luma, y, y_row);
            if (!grey) {
                ReadRow(p.cb, y >> shift_y, cb_row);
                ReadRow(p.cr, y >> shift_y, cr_row);
            }
            if (alpha) ReadRow(p.alpha, y, a_row);
            for (int x = 0; x < luma.width; ++x) {
                Sums& s = sums[static_cast<size_t>(column_of[static_cast<size_t>(x)])];
                const std::uint64_t w = alpha ? a_row[static_cast<size_t>(x)] : 1;
                s.luma += w * y_row[static_cast<size_t>(x)];
                if (!grey) {
                    s.cb += w * cb_row[static_cast<size_t>(x >> shift_x)];
                    s.cr += w * cr_row[static_cast<size_t>(x >> shift_x)];
                }
                s.weight += w;
                ++s.count;
            }
        }
        std::uint32_t* line = out.pixels.data() + static_cast<size_t>(dy) * static_cast<size_t>(size.width);
        for (int dx = 0; dx < size.width; ++dx) line[dx] = converter.Pixel(sums[static_cast<size_t>(dx)]);
    }
    return out;
}

}  // namespace kestrova
