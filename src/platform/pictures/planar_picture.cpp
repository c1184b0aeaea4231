#include "planar_picture.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrova {
namespace {

bool ValidPlane(const SamplePlane& plane) {
    return plane.Present() && plane.bits >= 1 && plane.bits <= 16 &&
           plane.stride >= static_cast<std::ptrdiff_t>(plane.width) * (plane.bits > 8 ? 2 : 1);
}

bool Wide(const SamplePlane& plane) { return plane.bits > 8; }

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

// The rows of one plane as samples of type T: straight from the plane when
// it is stored so, widened into a row of our own when it is stored in bytes
// and other planes of the picture are not.
template <typename T>
class RowReader {
public:
    explicit RowReader(const SamplePlane& plane) : plane_(plane) {
        if (plane.Present() && Wide(plane) != (sizeof(T) == 2)) widened_.resize(static_cast<size_t>(plane.width));
    }
    const T* Row(int y) {
        const std::uint8_t* line = plane_.data + static_cast<std::ptrdiff_t>(y) * plane_.stride;
        if (widened_.empty()) return reinterpret_cast<const T*>(line);
        std::copy(line, line + plane_.width, widened_.begin());
        return widened_.data();
    }

private:
    const SamplePlane& plane_;
    std::vector<T> widened_;
};

// The first source index a drawn index covers; drawn index i covers up to
// the first of i + 1.
int SpanStart(int drawn, int source_extent, int drawn_extent) {
    return static_cast<int>(std::int64_t{drawn} * source_extent / drawn_extent);
}

struct Sums {
    std::uint64_t luma = 0, cb = 0, cr = 0;  // each weighted by alpha
    std::uint64_t weight = 0;                // the alpha summed; the samples counted when opaque
    std::uint64_t count = 0;
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

namespace {

// One source row added into the sums of the drawn row it falls in, column
// span by column span, reading the samples where they lie.
template <typename T, bool kGrey, bool kAlpha>
struct RowAdder {
    RowReader<T> luma, cb, cr, alpha;
    int shift_x = 0;

    RowAdder(const PlanarPicture& p, int sx)
        : luma(p.luma), cb(p.cb), cr(p.cr), alpha(p.alpha), shift_x(sx) {}

    // Row `y` of the band, whose colour is on the band's row `colour_y`.
    void Add(int y, int colour_y, const std::vector<int>& starts, std::vector<Sums>& sums) {
        const T* yr = luma.Row(y);
        const T* br = kGrey ? nullptr : cb.Row(colour_y);
        const T* rr = kGrey ? nullptr : cr.Row(colour_y);
        const T* ar = kAlpha ? alpha.Row(y) : nullptr;
        for (size_t dx = 0; dx + 1 < starts.size(); ++dx) {
            const int begin = starts[dx], end = starts[dx + 1];
            std::uint64_t l = 0, b = 0, r = 0, w = 0;
            for (int x = begin; x < end; ++x) {
                const std::uint64_t a = kAlpha ? ar[x] : 1;
                l += a * yr[x];
                if constexpr (!kGrey) {
                    b += a * br[x >> shift_x];
                    r += a * rr[x >> shift_x];
                }
                if constexpr (kAlpha) w += a;
            }
            Sums& s = sums[dx];
            s.luma += l;
            s.cb += b;
            s.cr += r;
            s.count += static_cast<std::uint64_t>(end - begin);
            s.weight += kAlpha ? w : static_cast<std::uint64_t>(end - begin);
        }
    }
};

}  // namespace

// Which drawn row each source row falls in, where each drawn column's span
// of source columns starts, and the sums of the drawn row under way.
struct BandReducer::State {
    PlanarPicture layout;
    std::vector<int> starts;
    std::vector<Sums> sums;
    int next_row = 0;    // the next source row expected
    int drawn_row = 0;   // the drawn row being summed
    PixelSize source;
};

namespace {

template <typename T, bool kGrey, bool kAlpha>
void AddRows(const PlanarPicture& band, int first_row, int shift_x, int shift_y, BandReducer::State& state,
             Picture& out) {
    RowAdder<T, kGrey, kAlpha> adder(band, shift_x);
    const Converter converter(band);
    const int colour_first = first_row >> shift_y;
    for (int y = first_row; y < first_row + band.luma.height; ++y) {
        adder.Add(y - first_row, (y >> shift_y) - colour_first, state.starts, state.sums);
        if (y + 1 < SpanStart(state.drawn_row + 1, state.source.height, out.height)) continue;
        std::uint32_t* line = out.pixels.data() + static_cast<size_t>(state.drawn_row) * static_cast<size_t>(out.width);
        for (int dx = 0; dx < out.width; ++dx) line[dx] = converter.Pixel(state.sums[static_cast<size_t>(dx)]);
        std::fill(state.sums.begin(), state.sums.end(), Sums{});
        ++state.drawn_row;
    }
}

template <typename T>
void AddRowsAs(const PlanarPicture& band, int first_row, int shift_x, int shift_y, BandReducer::State& state,
               Picture& out) {
    const bool grey = !band.cb.Present();
    const bool alpha = band.alpha.Present();
    if (grey && alpha) return AddRows<T, true, true>(band, first_row, shift_x, shift_y, state, out);
    if (grey) return AddRows<T, true, false>(band, first_row, shift_x, shift_y, state, out);
    if (alpha) return AddRows<T, false, true>(band, first_row, shift_x, shift_y, state, out);
    AddRows<T, false, false>(band, first_row, shift_x, shift_y, state, out);
}

// Whether a band's colour planes cover its luma rows from `first_row` on,
// at the luma's resolution or halved; the halving found.
bool ColourCovers(const PlanarPicture& band, int first_row, int& shift_x, int& shift_y) {
    const SamplePlane& luma = band.luma;
    if (!ValidPlane(band.cb) || !ValidPlane(band.cr) || band.cr.width != band.cb.width ||
        band.cr.height != band.cb.height || !Subsampling(luma.width, band.cb.width, shift_x) ||
        !Subsampling(luma.height, band.cb.height, shift_y)) {
        return false;
    }
    // A halved band starts on a row its colour row begins with.
    return shift_y == 0 || first_row % 2 == 0;
}

bool SameLayout(const PlanarPicture& a, const PlanarPicture& b) {
    auto same = [](const SamplePlane& p, const SamplePlane& q) { return p.Present() == q.Present() && p.bits == q.bits; };
    return same(a.luma, b.luma) && same(a.cb, b.cb) && same(a.cr, b.cr) && same(a.alpha, b.alpha) &&
           a.matrix.kr == b.matrix.kr && a.matrix.kb == b.matrix.kb && a.matrix.identity == b.matrix.identity &&
           a.full_range == b.full_range;
}

}  // namespace

BandReducer::BandReducer(PixelSize source, PixelSize drawn) : state_(std::make_unique<State>()) {
    if (source.Empty() || drawn.Empty() || drawn.width > source.width || drawn.height > source.height) return;
    state_->source = source;
    state_->starts.resize(static_cast<size_t>(drawn.width) + 1);
    for (int dx = 0; dx <= drawn.width; ++dx) {
        state_->starts[static_cast<size_t>(dx)] = SpanStart(dx, source.width, drawn.width);
    }
    state_->sums.resize(static_cast<size_t>(drawn.width));
    out_.width = drawn.width;
    out_.height = drawn.height;
    out_.pixels.resize(static_cast<size_t>(drawn.width) * static_cast<size_t>(drawn.height));
}

BandReducer::~BandReducer() = default;

bool BandReducer::Add(const PlanarPicture& band) {
    State& state = *state_;
    const SamplePlane& luma = band.luma;
    const bool grey = !band.cb.Present();
    const bool alpha = band.alpha.Present();
    int shift_x = 0, shift_y = 0;
    const bool fits = !out_.Empty() && ValidPlane(luma) && luma.width == state.source.width &&
                      luma.height <= state.source.height - state.next_row &&
                      (state.next_row == 0 || SameLayout(band, state.layout)) &&
                      (grey || ColourCovers(band, state.next_row, shift_x, shift_y)) &&
                      (!alpha || (ValidPlane(band.alpha) && band.alpha.width == luma.width &&
                                  band.alpha.height == luma.height));
    if (!fits) {
        out_ = {};
        return false;
    }
    state.layout = band;
    const bool wide = Wide(luma) || (!grey && (Wide(band.cb) || Wide(band.cr))) || (alpha && Wide(band.alpha));
    if (wide) {
        AddRowsAs<std::uint16_t>(band, state.next_row, shift_x, shift_y, state, out_);
    } else {
        AddRowsAs<std::uint8_t>(band, state.next_row, shift_x, shift_y, state, out_);
    }
    state.next_row += luma.height;
    return true;
}

Picture BandReducer::Take() {
    if (state_->next_row != state_->source.height) return {};
    return std::move(out_);
}

Picture ReducedFromPlanes(const PlanarPicture& p, PixelSize size) {
    BandReducer reducer({p.luma.width, p.luma.height}, size);
    reducer.Add(p);
    return reducer.Take();
}

}  // namespace kestrova
