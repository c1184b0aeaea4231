#pragma once
// A picture held the way video codecs hand it over: a luma plane, two
// colour-difference planes (often at half the resolution) and maybe alpha.
// Reducing it to the drawn size straight from the planes never holds the
// whole picture as 32-bit pixels, which for a phone's 4:2:0 photo is more
// than twice the planes themselves.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "picture.h"
#include "picture_load.h"

namespace kestrova {

// One plane of samples, `bits` significant bits each; more than 8 bits are
// kept as 16-bit words in the machine's byte order.
struct SamplePlane {
    const std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;  // bytes from one row to the next
    int width = 0;
    int height = 0;
    int bits = 8;
    bool Present() const { return data != nullptr && width > 0 && height > 0; }
};

// How luma and colour difference make red, green and blue: the luma
// weights of red and blue (Kr, Kb), or the planes carry green, blue and red
// as they are.
struct ColourMatrix {
    double kr = 0.299;
    double kb = 0.114;
    bool identity = false;
};

// The matrix for an H.273 matrix_coefficients code, as HEVC, AV1 and HEIF's
// colour box give it; an unknown or unspecified code reads as BT.601.
// nullopt for the codes that are not a plain matrix (YCgCo, the constant
// luminance and chromaticity-derived ones, ICtCp...).
std::optional<ColourMatrix> ColourMatrixOf(int matrix_coefficients);

struct PlanarPicture {
    SamplePlane luma;
    SamplePlane cb;  // absent for grey pictures, with cr
    SamplePlane cr;
    SamplePlane alpha;  // absent when opaque; at luma resolution
    ColourMatrix matrix;
    bool full_range = true;  // false: luma from 16 to 235, colour 16 to 240 (at 8 bits)
};

// The picture reduced to `size` (at most the luma plane's size): every
// drawn pixel the mean of the pixels it covers, weighted by their alpha so
// that what is transparent lends no colour. Colour planes smaller than luma
// are read at the luma position halved. Empty when the planes do not add up.
Picture ReducedFromPlanes(const PlanarPicture& planes, PixelSize size);

// The same reduction fed a band of rows at a time, top to bottom, for
// decoders that hand a picture over in pieces (a TIFF's strips, its rows of
// tiles): only the band at hand and the sums of one drawn row are held.
class BandReducer {
public:
    // A picture of `source` size (its luma plane's) reduced to `drawn`.
    BandReducer(PixelSize source, PixelSize drawn);
    ~BandReducer();
    BandReducer(const BandReducer&) = delete;
    BandReducer& operator=(const BandReducer&) = delete;
    // The next rows: planes as wide as the picture, laid out as every band
    // before (colour halved bands start on an even row). False, and nothing
    // to take, when the band does not fit.
    bool Add(const PlanarPicture& band);
    // The drawn picture once every row has come; empty otherwise.
    Picture Take();

    struct State;

private:
    std::unique_ptr<State> state_;
    Picture out_;
};

}  // namespace kestrova
