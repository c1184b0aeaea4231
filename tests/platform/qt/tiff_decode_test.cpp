// TIFF through libtiff, a strip or a row of tiles at a time, reduced as the
// pieces come: every drawn pixel the mean of the pixels it covers, whatever
// the file's layout, upright by its orientation tag, and a damaged file
// passed over in silence.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_picture_decode.h"
#include "platform/qt/qt_test_support.h"
#include "platform/qt/tiff_decode.h"
#include "support/quarter_picture.h"
#include "support/tiff_bytes.h"
#include "tiff_file.h"

namespace kestrova {
namespace {

using tiff_test::Layout;
using tiff_test::RgbaPicture;

constexpr int kWidth = 100;
constexpr int kHeight = 60;
constexpr int kReduction = 4;  // the drawn size divides the stored one

// Red tells the left half from the right, green the upper from the lower,
// and blue runs across both, so a mirror, a flip, a turn and a misplaced
// piece all show; alpha is `alpha` throughout.
RgbaPicture Halves(int alpha = 255) {
    RgbaPicture p{kWidth, kHeight, {}};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            p.rgba.insert(p.rgba.end(), {static_cast<std::uint8_t>(x < kWidth / 2 ? 40 : 200),
                                         static_cast<std::uint8_t>(y < kHeight / 2 ? 30 : 220),
                                         static_cast<std::uint8_t>((x * 3 + y * 5) % 256), static_cast<std::uint8_t>(alpha)});
        }
    }
    return p;
}

// Where the pixel seen at (x, y) of a picture `w` x `h` as stored lies,
// for each EXIF orientation.
void StoredAt(int orientation, int w, int h, int x, int y, int& sx, int& sy) {
    const int table[9][6] = {
        // sx = a*x + b*y + c*(w-1), sy = d*x + e*y + f*(h-1)
        {}, {1, 0, 0, 0, 1, 0}, {-1, 0, 1, 0, 1, 0}, {-1, 0, 1, 0, -1, 1}, {1, 0, 0, 0, -1, 1},
        {0, 1, 0, 1, 0, 0}, {0, 1, 0, -1, 0, 1}, {0, -1, 1, -1, 0, 1}, {0, -1, 1, 1, 0, 0},
    };
    const int* t = table[orientation];
    sx = t[0] * x + t[1] * y + t[2] * (w - 1);
    sy = t[3] * x + t[4] * y + t[5] * (h - 1);
}

// The stored picture reduced by kReduction each way, block by block, and
// seen as the orientation turns it: the ARGB pixels a viewer shows.
Picture Expected(const RgbaPicture& stored, int orientation) {
    const int rw = stored.width / kReduction, rh = stored.height / kReduction;
    const bool sideways = orientation >= 5;
    Picture seen;
    seen.width = sideways ? rh : rw;
    seen.height = sideways ? rw : rh;
    for (int y = 0; y < seen.height; ++y) {
        for (int x = 0; x < seen.width; ++x) {
            int bx = 0, by = 0;
            StoredAt(orientation, rw, rh, x, y, bx, by);
            int sum[4] = {};
            for (int dy = 0; dy < kReduction; ++dy) {
                for (int dx = 0; dx < kReduction; ++dx) {
                    const std::uint8_t* px = stored.At(bx * kReduction + dx, by * kReduction + dy);
                    for (int s = 0; s < 4; ++s) sum[s] += px[s];
                }
            }
            const int n = kReduction * kReduction;
            auto mean = [&](int s) { return static_cast<std::uint32_t>((sum[s] + n / 2) / n); };
            seen.pixels.push_back(mean(3) << 24 | mean(0) << 16 | mean(1) << 8 | mean(2));
        }
    }
    return seen;
}

std::string Write(const QTemporaryDir& dir, const std::string& name, const RgbaPicture& picture, const Layout& layout) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    EXPECT_EQ(tiff_test::WriteTiff(path, picture, layout), "") << name;
    return path;
}

void ExpectPixels(const std::optional<LoadedPicture>& loaded, const Picture& want, int allowed, const std::string& what) {
    ASSERT_TRUE(loaded.has_value()) << what;
    ASSERT_EQ(loaded->picture.width, want.width) << what;
    ASSERT_EQ(loaded->picture.height, want.height) << what;
    int worst = 0, worst_at = 0;
    for (size_t i = 0; i < want.pixels.size(); ++i) {
        for (int shift : {0, 8, 16, 24}) {
            const int d = std::abs(static_cast<int>(loaded->picture.pixels[i] >> shift & 0xff) -
                                   static_cast<int>(want.pixels[i] >> shift & 0xff));
            if (d > worst) worst = d, worst_at = static_cast<int>(i);
        }
    }
    EXPECT_LE(worst, allowed) << what << ": pixel " << worst_at % want.width << "," << worst_at / want.width
                              << " is off by " << worst;
}

TEST(TiffDecode, EveryLayoutReducesToTheMeanOfWhatEachPixelCovers) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    struct Case {
        const char* name;
        Layout layout;
        int alpha = 255;
    };
    const Case cases[] = {
        {"strips of one row (gathered into bands)", {1}},
        {"strips of 7 rows (not on a drawn row)", {7}},
        {"one strip, deflate", {kHeight, 0, COMPRESSION_ADOBE_DEFLATE}},
        {"strips of 3 rows, LZW", {3, 0, COMPRESSION_LZW}},
        {"tiles of 16, cut at the edges", {0, 16}},
        {"tiles of 32, PackBits", {0, 32, COMPRESSION_PACKBITS}},
        {"planes one after another", {5, 0, COMPRESSION_NONE, 0, true}},
        {"half transparent", {8, 0, COMPRESSION_NONE, 0, false, true}, 128},
    };
    for (const Case& c : cases) {
        const RgbaPicture picture = Halves(c.alpha);
        const std::string path = Write(dir, std::string(c.name) + ".tif", picture, c.layout);
        const std::optional<LoadedPicture> loaded = DecodePictureFile(path, {kWidth / kReduction, kHeight / kReduction});
        if (loaded) {
            EXPECT_EQ(loaded->natural, (PixelSize{kWidth, kHeight})) << c.name;
        }
        // Alpha comes back out of libtiff's premultiplied pixels a step off.
        ExpectPixels(loaded, Expected(picture, 1), c.alpha == 255 ? 1 : 2, c.name);
    }
}

TEST(TiffDecode, TheOrientationTagTurnsTheReducedPicture) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const RgbaPicture picture = Halves();
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (const Layout& layout : {Layout{4, 0, COMPRESSION_NONE, orientation}, Layout{0, 16, COMPRESSION_LZW, orientation}}) {
            const std::string what = "orientation " + std::to_string(orientation) + (layout.tile ? " tiled" : " in strips");
            const std::string path = Write(dir, "o" + std::to_string(orientation) + ".tif", picture, layout);
            const PixelSize fit = orientation >= 5 ? PixelSize{kHeight / kReduction, kWidth / kReduction}
                                                   : PixelSize{kWidth / kReduction, kHeight / kReduction};
            const std::optional<LoadedPicture> loaded = DecodePictureFile(path, fit);
            if (loaded) {
                EXPECT_EQ(loaded->natural, (orientation >= 5 ? PixelSize{kHeight, kWidth} : PixelSize{kWidth, kHeight})) << what;
            }
            ExpectPixels(loaded, Expected(picture, orientation), 1, what);
        }
    }
}

// libtiff's RGBA reading takes no 32-bit samples; Qt's reader does, and
// shows such a TIFF in libtiff's place.
TEST(TiffDecode, WhatLibtiffsRgbaReadingLeavesQtsReaderShows) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const std::string path = dir.filePath("float.tif").toStdString();
    {
        const std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "w"), TIFFClose);
        ASSERT_TRUE(tif);
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, 8);
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, 4);
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 32);
        TIFFSetField(tif.get(), TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, 4);
        // Red on the left, blue on the right.
        std::vector<float> row(8 * 3, 0.0f);
        for (int x = 0; x < 8; ++x) row[static_cast<size_t>(x) * 3 + (x < 4 ? 0 : 2)] = 1.0f;
        for (std::uint32_t y = 0; y < 4; ++y) ASSERT_EQ(TIFFWriteScanline(tif.get(), row.data(), y, 0), 1);
    }
    EXPECT_TRUE(DecodeTiffFile(path, {}).unknown_kind);
    const std::optional<LoadedPicture> loaded = DecodePictureFile(path, {4, 4});
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->natural, (PixelSize{8, 4}));
    ASSERT_EQ(loaded->picture.width, 4);
    EXPECT_EQ(loaded->picture.pixels.front() & 0xffffffu, 0xff0000u);
    EXPECT_EQ(loaded->picture.pixels.back() & 0xffffffu, 0x0000ffu);
}

QByteArray ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

std::string WriteBytes(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName().toStdString();
}

// Cut short or damaged, a TIFF is passed over like any picture that does
// not load: no crash, and not a word from libtiff on the terminal.
TEST(TiffDecode, ADamagedFileIsPassedOverInSilence) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const QByteArray whole = ReadBytes(Write(dir, "whole.tif", Halves(), {kHeight, 0, COMPRESSION_ADOBE_DEFLATE}));
    QByteArray garbled = whole;
    // The deflated strip starts after the 8-byte header.
    for (int i = 40; i < 200; ++i) garbled[i] = static_cast<char>(0xff);
    const std::string one_strip = test::TiffBytes({test::QuarterPicture(16, 8)}, 0);
    QByteArray strip_past_end(one_strip.data(), static_cast<qsizetype>(one_strip.size()));
    // StripOffsets: tag 273, a LONG, one of them; then its value.
    const qsizetype entry = strip_past_end.indexOf(QByteArray("\x11\x01\x04\x00\x01\x00\x00\x00", 8));
    ASSERT_GT(entry, 0);
    strip_past_end[entry + 8] = static_cast<char>(0xf0);
    strip_past_end[entry + 9] = static_cast<char>(0xff);
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"cut in half.tif", whole.left(whole.size() / 2)},
        {"header only.tif", QByteArray("II*\0\x08\0\0\0", 8)},
        {"garbled strip.tif", garbled},
        {"strip past the end.tif", strip_past_end},
    };
    for (const Case& c : cases) {
        const std::string path = WriteBytes(dir, c.name, c.bytes);
        ::testing::internal::CaptureStderr();
        const std::optional<LoadedPicture> loaded = DecodePictureFile(path, {16, 16});
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(loaded.has_value()) << c.name;
        EXPECT_EQ(said, "") << c.name;
    }
}

}  // namespace
}  // namespace kestrova
