// Pictures made from luma and colour-difference planes, as HEVC and AV1
// decoders hand them over: the colour each coding means at each range and
// depth, where subsampled colour lands, reduction to the drawn size and
// alpha at its own depth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/pictures/planar_picture.h"

namespace kestrova {
namespace {

// A plane that owns its samples, rows padded the way decoders pad them.
class OwnedPlane {
public:
    OwnedPlane(int width, int height, const std::vector<int>& samples, int bits = 8)
        : width_(width), height_(height), bits_(bits), stride_((width * (bits > 8 ? 2 : 1) + 15) / 16 * 16) {
        bytes_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(height), 0xee);
        auto next = samples.begin();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int v = next == samples.end() ? samples.end()[-1] : *next++;
                std::uint8_t* at = bytes_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_);
                if (bits > 8) {
                    const auto word = static_cast<std::uint16_t>(v);
                    std::memcpy(at + static_cast<size_t>(x) * 2, &word, 2);
                } else {
                    at[x] = static_cast<std::uint8_t>(v);
                }
            }
        }
    }
    SamplePlane View() const { return {bytes_.data(), stride_, width_, height_, bits_}; }

private:
    int width_, height_, bits_;
    std::ptrdiff_t stride_;
    std::vector<std::uint8_t> bytes_;
};

struct Rgba {
    int r, g, b, a;
};

Rgba At(const Picture& p, int x, int y) {
    const std::uint32_t v = p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)];
    return {static_cast<int>(v >> 16 & 0xff), static_cast<int>(v >> 8 & 0xff), static_cast<int>(v & 0xff),
            static_cast<int>(v >> 24)};
}

void ExpectNear(const Rgba& seen, const Rgba& want, int tolerance, const char* what) {
    EXPECT_LE(std::abs(seen.r - want.r), tolerance) << what << " red " << seen.r << " not " << want.r;
    EXPECT_LE(std::abs(seen.g - want.g), tolerance) << what << " green " << seen.g << " not " << want.g;
    EXPECT_LE(std::abs(seen.b - want.b), tolerance) << what << " blue " << seen.b << " not " << want.b;
    EXPECT_LE(std::abs(seen.a - want.a), tolerance) << what << " alpha " << seen.a << " not " << want.a;
}

// One pixel of one colour through each coding.
TEST(PlanarPictureTest, EachCodingGivesItsColour) {
    struct Case {
        const char* what;
        int matrix;
        bool full_range;
        int bits;
        int y, cb, cr;
        Rgba want;
    };
    const Case cases[] = {
        {"BT.601 red", 6, true, 8, 76, 85, 255, {254, 0, 0, 255}},
        {"BT.601 limited white", 6, false, 8, 235, 128, 128, {255, 255, 255, 255}},
        {"BT.601 limited black", 6, false, 8, 16, 128, 128, {0, 0, 0, 255}},
        {"BT.601 limited grey", 6, false, 8, 126, 128, 128, {128, 128, 128, 255}},
        {"unspecified reads as BT.601", 2, true, 8, 76, 85, 255, {254, 0, 0, 255}},
        {"BT.709 green", 1, true, 8, 182, 30, 12, {0, 255, 0, 255}},
        {"BT.2020 blue", 9, true, 8, 15, 255, 118, {0, 0, 255, 255}},
        {"planes of green, blue and red", 0, true, 8, 40, 200, 90, {90, 40, 200, 255}},
        {"10-bit grey", 6, true, 10, 512, 512, 512, {128, 128, 128, 255}},
        {"10-bit limited white", 6, false, 10, 940, 512, 512, {255, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        const OwnedPlane y(1, 1, {c.y}, c.bits), cb(1, 1, {c.cb}, c.bits), cr(1, 1, {c.cr}, c.bits);
        PlanarPicture planes{y.View(), cb.View(), cr.View(), {}, *ColourMatrixOf(c.matrix), c.full_range};
        const Picture p = ReducedFromPlanes(planes, {1, 1});
        ASSERT_EQ(p.width, 1) << c.what;
        ExpectNear(At(p, 0, 0), c.want, 2, c.what);
    }
}

TEST(PlanarPictureTest, MatricesThatAreNotPlainAreLeftAlone) {
    for (int code : {8, 10, 11, 12, 13, 14, 16}) EXPECT_FALSE(ColourMatrixOf(code).has_value()) << code;
    for (int code : {0, 1, 2, 5, 6, 9}) EXPECT_TRUE(ColourMatrixOf(code).has_value()) << code;
}

// 4:2:0 at an odd size: the colour of each 2 x 2 block, the last column
// and row of colour covering one luma sample.
TEST(PlanarPictureTest, HalvedColourCoversItsBlockAtOddSizes) {
    const OwnedPlane y(3, 3, {128});
    // Red, blue / green-ish, grey.
    const OwnedPlane cb(2, 2, {85, 255, 44, 128});
    const OwnedPlane cr(2, 2, {255, 107, 21, 128});
    const PlanarPicture planes{y.View(), cb.View(), cr.View(), {}, *ColourMatrixOf(6), true};
    const Picture p = ReducedFromPlanes(planes, {3, 3});
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 3);
    for (int yy = 0; yy < 2; ++yy) {
        for (int xx = 0; xx < 2; ++xx) {
            EXPECT_EQ(At(p, xx, yy).r, At(p, 0, 0).r);
            EXPECT_EQ(At(p, xx, yy).b, At(p, 0, 0).b);
        }
    }
    EXPECT_GT(At(p, 0, 0).r, 200);
    EXPECT_GT(At(p, 2, 0).b, 200);
    EXPECT_GT(At(p, 0, 2).g, At(p, 0, 2).r);
    EXPECT_EQ(At(p, 2, 2).r, 128);
    EXPECT_EQ(At(p, 2, 2).g, 128);
}

// Every drawn pixel the mean of what it covers, also where the spans are
// uneven (5 columns into 2).
TEST(PlanarPictureTest, ReducedPixelIsTheMeanOfWhatItCovers) {
    const OwnedPlane y(5, 2, {0, 255, 0, 255, 0,  //
                              255, 0, 255, 0, 255});
    const OwnedPlane c(5, 2, {128});
    const PlanarPicture planes{y.View(), c.View(), c.View(), {}, *ColourMatrixOf(6), true};
    const Picture p = ReducedFromPlanes(planes, {2, 1});
    ASSERT_EQ(p.width, 2);
    ASSERT_EQ(p.height, 1);
    // Columns 0-1 and 2-4 of both rows: 510 / 4 and 765 / 6.
    EXPECT_NEAR(At(p, 0, 0).g, 128, 1);
    EXPECT_NEAR(At(p, 1, 0).g, 128, 1);
    const OwnedPlane bright(4, 1, {0, 0, 200, 200});
    const PlanarPicture grey{bright.View(), {}, {}, {}, {}, true};
    const Picture halves = ReducedFromPlanes(grey, {2, 1});
    ASSERT_EQ(halves.width, 2);
    ExpectNear(At(halves, 0, 0), {0, 0, 0, 255}, 0, "dark half");
    ExpectNear(At(halves, 1, 0), {200, 200, 200, 255}, 0, "bright half");
}

// What is transparent lends no colour to the pixel it is reduced into.
TEST(PlanarPictureTest, TransparentSamplesLendNoColour) {
    const OwnedPlane y(2, 1, {76, 150});  // red beside green
    const OwnedPlane cb(2, 1, {85, 44});
    const OwnedPlane cr(2, 1, {255, 21});
    const OwnedPlane alpha(2, 1, {255, 0});
    const PlanarPicture planes{y.View(), cb.View(), cr.View(), alpha.View(), *ColourMatrixOf(6), true};
    const Picture p = ReducedFromPlanes(planes, {1, 1});
    ASSERT_EQ(p.width, 1);
    ExpectNear(At(p, 0, 0), {254, 0, 0, 128}, 2, "half-covered red");
    const OwnedPlane clear(2, 1, {0});
    const PlanarPicture none{y.View(), cb.View(), cr.View(), clear.View(), *ColourMatrixOf(6), true};
    EXPECT_EQ(ReducedFromPlanes(none, {1, 1}).pixels.at(0), 0u);
}

// A colour coded as an encoder codes it, in full range or limited (luma
// 16-235, colour difference 16-240 at 8 bits, four times that at 10), reads
// back as that colour, within the rounding of the codes: each swing is its
// own, so a saturated colour comes out neither paler nor stronger.
TEST(PlanarPictureTest, EachRangeAndDepthGivesBackTheColourCoded) {
    struct Weights {
        int code;
        double kr, kb;
    };
    const Weights matrices[] = {{6, 0.299, 0.114}, {1, 0.2126, 0.0722}};
    const Rgba colours[] = {{40, 200, 220, 255}, {230, 60, 200, 255}, {30, 30, 240, 255},
                            {250, 200, 20, 255}, {200, 30, 30, 255}};
    for (const Weights& m : matrices) {
        for (const Rgba& colour : colours) {
            const double r = colour.r / 255.0, g = colour.g / 255.0, b = colour.b / 255.0;
            const double luma = m.kr * r + (1 - m.kr - m.kb) * g + m.kb * b;
            const double blue = (b - luma) / (2 * (1 - m.kb));
            const double red = (r - luma) / (2 * (1 - m.kr));
            for (const int bits : {8, 10}) {
                for (const bool full : {true, false}) {
                    const double unit = bits == 8 ? 1 : 4;
                    const double luma_swing = full ? (1 << bits) - 1 : 219 * unit;
                    const double colour_swing = full ? (1 << bits) - 1 : 224 * unit;
                    const double black = full ? 0 : 16 * unit;
                    const double middle = 1 << (bits - 1);
                    const std::string what = "matrix " + std::to_string(m.code) + ", " + std::to_string(bits) + " bits " +
                                             (full ? "full" : "limited") + ", colour " + std::to_string(colour.r) + "," +
                                             std::to_string(colour.g) + "," + std::to_string(colour.b);
                    const OwnedPlane y(1, 1, {static_cast<int>(std::lround(black + luma * luma_swing))}, bits);
                    const OwnedPlane cb(1, 1, {static_cast<int>(std::lround(middle + blue * colour_swing))}, bits);
                    const OwnedPlane cr(1, 1, {static_cast<int>(std::lround(middle + red * colour_swing))}, bits);
                    const PlanarPicture planes{y.View(), cb.View(), cr.View(), {}, *ColourMatrixOf(m.code), full};
                    const Picture p = ReducedFromPlanes(planes, {1, 1});
                    ASSERT_EQ(p.width, 1) << what;
                    ExpectNear(At(p, 0, 0), colour, 1, what.c_str());
                }
            }
        }
    }
}

// Each pixel takes its colour from the colour samples over it: at 4:4:4
// its own, at 4:2:2 the one of its pair in its own row, at 4:2:0 the one of
// its 2 x 2 block. Every pixel of a 4 x 4 picture whose colour samples all
// differ is checked.
TEST(PlanarPictureTest, EachSamplingPutsItsColourUnderItsSamples) {
    const struct {
        const char* what;
        int shift_x, shift_y;
    } samplings[] = {{"4:4:4", 0, 0}, {"4:2:2", 1, 0}, {"4:2:0", 1, 1}};
    const OwnedPlane y(4, 4, {128});
    // The colour difference of sample i, far enough apart to tell.
    auto blue = [](int i) { return 40 + 12 * i; };
    auto red = [](int i) { return 220 - 11 * i; };
    auto colour_of = [&](int i) {
        const OwnedPlane one(1, 1, {128}), b(1, 1, {blue(i)}), r(1, 1, {red(i)});
        return At(ReducedFromPlanes({one.View(), b.View(), r.View(), {}, *ColourMatrixOf(6), true}, {1, 1}), 0, 0);
    };
    for (const auto& s : samplings) {
        const int cw = 4 >> s.shift_x, ch = 4 >> s.shift_y;
        std::vector<std::uint8_t> blues, reds;
        for (int i = 0; i < cw * ch; ++i) {
            blues.push_back(static_cast<std::uint8_t>(blue(i)));
            reds.push_back(static_cast<std::uint8_t>(red(i)));
        }
        const SamplePlane cb{blues.data(), cw, cw, ch, 8}, cr{reds.data(), cw, cw, ch, 8};
        const Picture p = ReducedFromPlanes({y.View(), cb, cr, {}, *ColourMatrixOf(6), true}, {4, 4});
        ASSERT_EQ(p.width, 4) << s.what;
        ASSERT_EQ(p.height, 4) << s.what;
        for (int yy = 0; yy < 4; ++yy) {
            for (int xx = 0; xx < 4; ++xx) {
                const std::string what = std::string(s.what) + " at " + std::to_string(xx) + "," + std::to_string(yy);
                ExpectNear(At(p, xx, yy), colour_of((yy >> s.shift_y) * cw + (xx >> s.shift_x)), 0, what.c_str());
            }
        }
    }
}

// Alpha may come at another depth than the colour (an AVIF codes it as a
// picture of its own): each is read at its own depth.
TEST(PlanarPictureTest, AlphaOfAnotherDepthThanTheColourReadsAtItsOwn) {
    const struct {
        const char* what;
        int colour_bits, alpha_bits;
        int opaque, half;
    } cases[] = {
        {"8-bit colour, 10-bit alpha", 8, 10, 1023, 512},
        {"10-bit colour, 8-bit alpha", 10, 8, 255, 128},
        {"8-bit colour, 16-bit alpha", 8, 16, 65535, 32896},
    };
    for (const auto& c : cases) {
        const int scale = c.colour_bits == 8 ? 1 : 4;
        // Red, then green, as in the coding test.
        const OwnedPlane y(2, 1, {76 * scale, 150 * scale}, c.colour_bits);
        const OwnedPlane cb(2, 1, {85 * scale, 44 * scale}, c.colour_bits);
        const OwnedPlane cr(2, 1, {255 * scale, 21 * scale}, c.colour_bits);
        const OwnedPlane alpha(2, 1, {c.opaque, c.half}, c.alpha_bits);
        const PlanarPicture planes{y.View(), cb.View(), cr.View(), alpha.View(), *ColourMatrixOf(6), true};
        const Picture p = ReducedFromPlanes(planes, {2, 1});
        ASSERT_EQ(p.width, 2) << c.what;
        ExpectNear(At(p, 0, 0), {254, 0, 0, 255}, 3, c.what);
        ExpectNear(At(p, 1, 0), {0, 255, 0, 128}, 3, c.what);
    }
}

TEST(PlanarPictureTest, PlanesThatDoNotAddUpGiveNothing) {
    const OwnedPlane y(4, 4, {128}), half(2, 2, {128}), third(1, 1, {128}), narrow(4, 2, {128});
    struct Case {
        const char* what;
        PlanarPicture planes;
        PixelSize size;
    };
    const Case cases[] = {
        {"larger than the planes", {y.View(), half.View(), half.View(), {}, {}, true}, {5, 4}},
        {"empty size", {y.View(), half.View(), half.View(), {}, {}, true}, {0, 4}},
        {"colour a third of luma", {y.View(), third.View(), third.View(), {}, {}, true}, {4, 4}},
        {"blue without red", {y.View(), half.View(), {}, {}, {}, true}, {4, 4}},
        {"two colour planes apart", {y.View(), half.View(), narrow.View(), {}, {}, true}, {4, 4}},
        {"alpha not at luma size", {y.View(), half.View(), half.View(), half.View(), {}, true}, {4, 4}},
        {"no luma", {{}, half.View(), half.View(), {}, {}, true}, {1, 1}},
    };
    for (const Case& c : cases) EXPECT_TRUE(ReducedFromPlanes(c.planes, c.size).Empty()) << c.what;
}

// Rows `first` to `first + rows` of a plane whose colour rows are `shift`
// halved, as a decoder handing the picture over in pieces gives them.
SamplePlane RowsOf(const SamplePlane& plane, int first, int rows, int shift = 0) {
    if (!plane.Present()) return {};
    const int top = first >> shift;
    const int bottom = (first + rows - 1) >> shift;
    SamplePlane band = plane;
    band.data += static_cast<std::ptrdiff_t>(top) * plane.stride;
    band.height = bottom - top + 1;
    return band;
}

PlanarPicture BandOf(const PlanarPicture& p, int first, int rows, int colour_shift) {
    PlanarPicture band = p;
    band.luma = RowsOf(p.luma, first, rows);
    band.cb = RowsOf(p.cb, first, rows, colour_shift);
    band.cr = RowsOf(p.cr, first, rows, colour_shift);
    band.alpha = RowsOf(p.alpha, first, rows);
    return band;
}

std::vector<int> Counting(int count, int step) {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(i * step % 256);
    return v;
}

OwnedPlane PlaneFrom(int width, int height, int step) { return OwnedPlane(width, height, Counting(width * height, step)); }

// Fed a band at a time, the reduction gives what it gives for the whole
// picture, at band sizes that do not line up with the drawn rows.
TEST(PlanarPictureTest, BandsAddUpToTheWholePicture) {
    const OwnedPlane y = PlaneFrom(7, 9, 37), cb = PlaneFrom(4, 5, 53), cr = PlaneFrom(4, 5, 71);
    const OwnedPlane full_cb = PlaneFrom(7, 9, 53), full_cr = PlaneFrom(7, 9, 71), alpha = PlaneFrom(7, 9, 29);
    struct Case {
        const char* what;
        PlanarPicture planes;
        int colour_shift;
        std::vector<int> bands;
    };
    const Case cases[] = {
        {"halved colour", {y.View(), cb.View(), cr.View(), {}, *ColourMatrixOf(1), false}, 1, {2, 4, 3}},
        {"colour and alpha a row at a time",
         {y.View(), full_cb.View(), full_cr.View(), alpha.View(), {0, 0, true}, true},
         0,
         {1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"grey in uneven bands", {y.View(), {}, {}, {}, {}, true}, 0, {5, 1, 3}},
    };
    for (const Case& c : cases) {
        const Picture whole = ReducedFromPlanes(c.planes, {3, 4});
        ASSERT_FALSE(whole.Empty()) << c.what;
        BandReducer reducer({7, 9}, {3, 4});
        int first = 0;
        for (int rows : c.bands) {
            EXPECT_TRUE(reducer.Add(BandOf(c.planes, first, rows, c.colour_shift))) << c.what << " at row " << first;
            first += rows;
        }
        const Picture banded = reducer.Take();
        ASSERT_EQ(banded.width, 3) << c.what;
        ASSERT_EQ(banded.height, 4) << c.what;
        EXPECT_EQ(banded.pixels, whole.pixels) << c.what;
    }
}

TEST(PlanarPictureTest, BandsThatDoNotFitGiveNothing) {
    const OwnedPlane y = PlaneFrom(8, 8, 37), cb = PlaneFrom(4, 4, 53), cr = PlaneFrom(4, 4, 71);
    const OwnedPlane narrow = PlaneFrom(6, 8, 37), alpha = PlaneFrom(8, 8, 29);
    const PlanarPicture halved{y.View(), cb.View(), cr.View(), {}, {}, true};
    const PlanarPicture grey{y.View(), {}, {}, {}, {}, true};
    PlanarPicture with_alpha = grey;
    with_alpha.alpha = alpha.View();
    struct Case {
        const char* what;
        std::vector<PlanarPicture> bands;
    };
    const Case cases[] = {
        {"narrower than the picture", {{narrow.View(), {}, {}, {}, {}, true}}},
        {"more rows than the picture", {BandOf(grey, 0, 5, 0), BandOf(grey, 0, 5, 0)}},
        {"halved colour from an odd row", {BandOf(halved, 0, 3, 1), BandOf(halved, 3, 5, 1)}},
        {"alpha from the second band on", {BandOf(grey, 0, 4, 0), BandOf(with_alpha, 4, 4, 0)}},
        {"rows missing at the end", {BandOf(grey, 0, 6, 0)}},
    };
    for (const Case& c : cases) {
        BandReducer reducer({8, 8}, {4, 4});
        for (const PlanarPicture& band : c.bands) reducer.Add(band);
        EXPECT_TRUE(reducer.Take().Empty()) << c.what;
    }
    BandReducer whole({8, 8}, {4, 4});
    EXPECT_TRUE(whole.Add(BandOf(halved, 0, 4, 1)));
    EXPECT_TRUE(whole.Add(BandOf(halved, 4, 4, 1)));
    EXPECT_FALSE(whole.Take().Empty()) << "the same planes in even bands";
}

}  // namespace
}  // namespace kestrova
