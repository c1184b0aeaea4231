// Today's photo kinds on Linux: WebP through libwebp, TIFF through libtiff,
// HEIC and AVIF through libheif. Each is decoded at the size asked for,
// upright by its orientation (a TIFF's tag, a WebP's EXIF chunk, HEIF's own
// rotation and mirror), refused when its header claims more than the budget
// allows, and only its first frame or page is shown.
#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/qt/heif_decode.h"
#include "platform/qt/qt_picture_decode.h"
#include "platform/qt/qt_test_support.h"
#include "support/heif_file.h"
#include "support/picture_comparison.h"
#include "support/quarter_picture.h"
#include "support/tiff_bytes.h"
#include "webp_bytes.h"

namespace kestrova {
namespace {

using testing::SizeOf;

using test::QuarterPicture;
using test::QuartersOf;
using test::UprightQuarters;
using webp_test::AnimatedWebp;

constexpr int kWidth = 64;
constexpr int kHeight = 32;

QImage ToQImage(const test::RgbPicture& picture) {
    return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3, QImage::Format_RGB888).copy();
}

QImage Quarters() { return ToQImage(QuarterPicture(kWidth, kHeight)); }

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

bool Sideways(int orientation) { return orientation >= 5; }

std::string WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName().toStdString();
}

// The quarters as a WebP whose EXIF chunk gives `orientation`.
QByteArray TaggedWebp(int orientation) { return webp_test::TaggedWebp(Quarters(), orientation); }

// A simple lossless WebP whose bitstream header is made to claim another
// size: the header is all that is read before the budget refuses it.
// (Lossless, because its decoder holds the whole frame whatever size it is
// drawn at; a lossy frame is reduced row by row as it is decoded.)
QImage Blue16() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

QByteArray WebpClaiming(int width, int height) {
    QByteArray webp = webp_test::Webp(Blue16());
    // After "VP8L", its size and the signature byte: 14 bits each of width
    // and height less one, then the alpha and version bits, kept.
    char* header = webp.data() + webp.indexOf("VP8L") + 9;
    const quint32 kept = qFromLittleEndian<quint32>(header) & 0xf0000000u;
    qToLittleEndian<quint32>(kept | static_cast<quint32>(width - 1) | static_cast<quint32>(height - 1) << 14, header);
    return webp;
}

// A HEIC (HEVC) or AVIF (AV1), carrying the orientation as HEIF's own
// rotation and mirror boxes.
void WriteHeif(const std::string& path, const QImage& picture, heif_compression_format format, int orientation) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(test::WriteHeifFile(path, rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()),
                                  {format, 90, orientation, false}),
              "")
        << path;
}


struct Kind {
    const char* name;
    std::function<std::string(const QTemporaryDir&, int orientation)> write;
};

std::vector<Kind> Kinds() {
    auto heif = [](heif_compression_format format, const char* ending) {
        return [format, ending](const QTemporaryDir& dir, int orientation) {
            const std::string path = dir.filePath(QStringLiteral("o%1.%2").arg(orientation).arg(ending)).toStdString();
            WriteHeif(path, Quarters(), format, orientation);
            return path;
        };
    };
    return {
        {"webp",
         [](const QTemporaryDir& dir, int orientation) {
             return WriteFile(dir, QStringLiteral("o%1.webp").arg(orientation), TaggedWebp(orientation));
         }},
        {"tiff",
         [](const QTemporaryDir& dir, int orientation) {
             return WriteFile(dir, QStringLiteral("o%1.tif").arg(orientation),
                              Bytes(test::TiffBytes({QuarterPicture(kWidth, kHeight)}, orientation)));
         }},
        {"heic", heif(heif_compression_HEVC, "heic")},
        {"avif", heif(heif_compression_AV1, "avif")},
    };
}

TEST(QtPhotoKinds, DecodedUprightAndNoLargerThanAskedFor) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    for (const Kind& kind : Kinds()) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const std::string path = kind.write(dir, orientation);
            const PixelSize natural = Sideways(orientation) ? PixelSize{32, 64} : PixelSize{64, 32};
            struct Fit {
                PixelSize box, decoded;
            };
            const Fit fits[] = {
                {{}, natural},                                  // the whole picture
                {{1000, 1000}, natural},                        // never enlarged
                {{16, 16}, {natural.width / 4, natural.height / 4}},  // reduced upright, aspect kept
            };
            for (const Fit& fit : fits) {
                const std::string what = std::string(kind.name) + " orientation " + std::to_string(orientation) + " in " +
                                         std::to_string(fit.box.width) + "x" + std::to_string(fit.box.height);
                const std::optional<LoadedPicture> loaded = DecodePictureFile(path, fit.box);
                ASSERT_TRUE(loaded.has_value()) << what;
                EXPECT_EQ(loaded->natural, natural) << what;
                EXPECT_EQ(SizeOf(loaded->picture), fit.decoded) << what;
                EXPECT_EQ(QuartersOf(loaded->picture), UprightQuarters(orientation)) << what;
            }
        }
    }
}

// HEIC and AVIF are reduced straight from the codec's planes; they must
// read as libheif's own conversion reads them, whole and reduced, at each
// sampling, depth and turn.
TEST(QtPhotoKinds, HeifPlanesReadAsLibheifConvertsThem) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    QImage colours(48, 40, QImage::Format_RGB32);
    for (int y = 0; y < colours.height(); ++y) {
        for (int x = 0; x < colours.width(); ++x) colours.setPixel(x, y, qRgb(x * 5, y * 6, 255 - x * 2 - y * 3));
    }
    const QImage rgb = colours.convertToFormat(QImage::Format_RGB888);
    struct Case {
        const char* name;
        test::HeifSettings settings;
    };
    const Case cases[] = {
        {"420.heic", {heif_compression_HEVC, 90, 1, false, "420"}},
        {"444.heic", {heif_compression_HEVC, 90, 1, false, "444"}},
        {"422.heic", {heif_compression_HEVC, 90, 1, false, "422"}},
        {"420.avif", {heif_compression_AV1, 90, 1, false, "420"}},
        {"444.avif", {heif_compression_AV1, 90, 1, false, "444"}},
        {"turned.heic", {heif_compression_HEVC, 90, 6, false, "420"}},
        {"mirrored.avif", {heif_compression_AV1, 90, 5, false, "420"}},
        {"10-bit.heic", {heif_compression_HEVC, 90, 1, false, "420", 10}},
    };
    for (const Case& c : cases) {
        const std::string path = dir.filePath(c.name).toStdString();
        ASSERT_EQ(test::WriteHeifFile(path, rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()),
                                      c.settings),
                  "")
            << c.name;
        for (const PixelSize fit : {PixelSize{}, PixelSize{24, 24}}) {
            const std::string what = std::string(c.name) + (fit.Empty() ? " whole" : " reduced");
            const std::optional<LoadedPicture> planes = DecodeHeifFile(path, fit);
            const std::optional<LoadedPicture> converted = DecodeHeifFileInterleaved(path, fit);
            // Whole, only the colour's rounding and where subsampled colour
            // is sited part them; reduced, also the two ways of averaging.
            testing::ExpectSameDecode(planes, converted, fit.Empty() ? 2 : 3, what);
        }
    }
}

// A HEIC's colour box says how its planes make colour: libheif 1.15 reads
// no colour description from the HEVC stream and converts a HEIC as
// full-range BT.601 whatever the box says, so a camera's limited-range or
// BT.709 photo would come out washed out or tinted. (An AVIF's planes come
// from libheif already in the coding its box gives.) One flat colour, coded
// as luma 164 and colour difference 144 and 40 (libheif's encoder takes it
// through full-range BT.601 RGB, where it lies inside the gamut and comes
// back unchanged), the box then set to each coding; each reads as a colour
// at least 9 apart from the others.
TEST(QtPhotoKinds, HeifColourBoxSaysHowThePlanesMakeColour) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int matrix;
        bool full_range;
        QRgb want;
    };
    const Case cases[] = {
        {"601-full.heic", 6, true, qRgb(41, 221, 192)},
        {"601-limited.heic", 6, false, qRgb(32, 238, 205)},
        {"709-limited.heic", 1, false, qRgb(15, 216, 206)},
        {"709-full.heic", 1, true, qRgb(25, 202, 194)},
        {"2020-full.heic", 9, true, qRgb(34, 212, 194)},
    };
    for (const Case& c : cases) {
        const std::string path = dir.filePath(c.name).toStdString();
        ASSERT_EQ(test::WriteFlatYcbcrHeif(path, heif_compression_HEVC, 164, 144, 40), "") << c.name;
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << c.name;
        QByteArray bytes = file.readAll();
        // colr, nclx, then primaries, transfer and matrix (16 bits each)
        // and the range flag in the top bit of the next byte.
        const qsizetype box = bytes.indexOf("colrnclx");
        ASSERT_GT(box, 0) << c.name << ": no colour box";
        qToBigEndian<quint16>(static_cast<quint16>(c.matrix), bytes.data() + box + 12);
        bytes[box + 14] = static_cast<char>(c.full_range ? 0x80 : 0);
        file.seek(0);
        file.write(bytes);
        file.close();
        const std::optional<LoadedPicture> loaded = DecodeHeifFile(path, {});
        ASSERT_TRUE(loaded.has_value()) << c.name;
        const QRgb seen = loaded->picture.pixels.at(0);
        EXPECT_NEAR(qRed(seen), qRed(c.want), 3) << c.name;
        EXPECT_NEAR(qGreen(seen), qGreen(c.want), 3) << c.name;
        EXPECT_NEAR(qBlue(seen), qBlue(c.want), 3) << c.name;
    }
}

TEST(QtPhotoKinds, ThePhotosKeptForWindowsAreUprightHereToo) {
    qt_test::EnsureApplication();
    for (const char* name : {"quarters-6.webp", "quarters-6.heic", "quarters-6.avif"}) {
        const std::optional<LoadedPicture> loaded = DecodePictureFile(std::string(KESTROVA_TEST_PHOTOS "/") + name, {16, 16});
        ASSERT_TRUE(loaded.has_value()) << name;
        EXPECT_EQ(loaded->natural, (PixelSize{32, 64})) << name;
        EXPECT_EQ(QuartersOf(loaded->picture), UprightQuarters(6)) << name;
    }
}

TEST(QtPhotoKinds, OnlyTheFirstFrameOrPageIsShown) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    QImage second(kWidth, kHeight, QImage::Format_RGB32);
    second.fill(Qt::white);
    const test::RgbPicture white{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 3, 255)};
    const std::string tiff = WriteFile(dir, "pages.tiff", Bytes(test::TiffBytes({QuarterPicture(kWidth, kHeight), white}, 0)));
    const std::string webp = WriteFile(dir, "frames.webp", AnimatedWebp({Quarters(), second}));
    ASSERT_EQ(QImageReader(QString::fromStdString(tiff)).imageCount(), 2) << "the TIFF has two pages";
    ASSERT_EQ(QImageReader(QString::fromStdString(webp)).imageCount(), 2) << "the WebP has two frames";
    for (const std::string& path : {tiff, webp}) {
        const std::optional<LoadedPicture> loaded = DecodePictureFile(path, {32, 32});
        ASSERT_TRUE(loaded.has_value()) << path;
        EXPECT_EQ(SizeOf(loaded->picture), (PixelSize{32, 16})) << path;
        EXPECT_EQ(QuartersOf(loaded->picture), "RGBY") << path;
    }
}

TEST(QtPhotoKinds, WhatClaimsMoreThanTheBudgetIsRefused) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    // 12000 x 12000 is 576 MB of pixels, three times the budget. Most of
    // these decoders (lossless WebP among them) hold the whole picture
    // whatever size it is drawn at; those that do not (lossy WebP, TIFF read
    // a strip at a time) would still decode every pixel it claims.
    // Qt's own limit is lifted above that, so the refusal is ours.
    const int qt_limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1024);
    const std::string heic = dir.filePath("small.heic").toStdString();
    WriteHeif(heic, Quarters(), heif_compression_HEVC, 1);
    QFile heic_file(QString::fromStdString(heic));
    heic_file.open(QIODevice::ReadOnly);
    QByteArray heic_bytes = heic_file.readAll();
    // The images' spatial extents (the picture's and its coded tile's): the
    // size libheif reports before decoding.
    for (qsizetype ispe = heic_bytes.indexOf("ispe"); ispe > 0; ispe = heic_bytes.indexOf("ispe", ispe + 1)) {
        qToBigEndian<quint32>(12000, heic_bytes.data() + ispe + 8);
        qToBigEndian<quint32>(12000, heic_bytes.data() + ispe + 12);
    }
    struct Case {
        std::string path;
        std::optional<PixelSize> decoded;
    } cases[] = {
        {WriteFile(dir, "claims.webp", WebpClaiming(12000, 12000)), std::nullopt},
        // A lossy frame of 16 x 16 on a canvas that size: libwebp would
        // place it reduced without ever holding the canvas.
        {WriteFile(dir, "claims-canvas.webp", AnimatedWebp(QSize(12000, 12000), {{Blue16(), {}, 90}})), std::nullopt},
        {WriteFile(dir, "claims.heic", heic_bytes), std::nullopt},
        // A whole, valid TIFF of that size: only the budget stands between
        // it and the decoder. One of 4000 x 4000 (64 MB) is within it.
        {WriteFile(dir, "huge.tif", Bytes(test::GreyTiledTiffBytes(12000, 12000))), std::nullopt},
        {WriteFile(dir, "large.tif", Bytes(test::GreyTiledTiffBytes(4000, 4000))), PixelSize{1080, 1080}},
    };
    for (const Case& c : cases) {
        const std::optional<LoadedPicture> loaded = DecodePictureFile(c.path, {1920, 1080});
        ASSERT_EQ(loaded.has_value(), c.decoded.has_value()) << c.path;
        if (loaded) {
            EXPECT_EQ(SizeOf(loaded->picture), *c.decoded) << c.path;
        }
    }
    EXPECT_EQ(QImageReader(QString::fromStdString(cases[0].path)).size(), QSize(12000, 12000)) << "what the WebP claims is read";
    QImageReader::setAllocationLimit(qt_limit);
}

}  // namespace
}  // namespace kestrova
