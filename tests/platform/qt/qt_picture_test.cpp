// Pictures on scaled screens: a picture drawn at several densities is shown
// from the rendering made for the screen, not enlarged from the plain one.
// Pictures from files: decoded reduced to the size asked for, upright by
// their orientation tag, refused when over the budget, also on the worker.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTransform>
#include <QtEndian>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_picture_decode.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_test_support.h"

namespace kestrova {
namespace {

Picture Solid(int size, std::uint32_t argb) {
    Picture picture;
    picture.width = picture.height = size;
    picture.pixels.assign(static_cast<size_t>(size * size), argb);
    return picture;
}

TEST(QtPicture, EachScreenDensityGetsTheRenderingMadeForIt) {
    qt_test::EnsureApplication();
    // One colour per rendering, so the pixmap tells which one it came from.
    Picture picture = Solid(32, 0xffff0000u);
    picture.denser = {Solid(64, 0xff00ff00u), Solid(96, 0xff0000ffu)};
    struct Case {
        QSize size;
        qreal ratio;
        QColor from;
    } cases[] = {
        {{32, 32}, 1.0, Qt::red},     // plain screen, natural size
        {{16, 16}, 1.0, Qt::red},     // a small list icon is made from the plain one
        {{32, 32}, 2.0, Qt::green},   // twice the density: the double rendering as it is
        {{16, 16}, 2.0, Qt::red},     // a list icon on that screen needs 32 pixels
        {{32, 32}, 1.5, Qt::green},   // between densities: the next denser one, reduced
        {{32, 32}, 3.0, Qt::blue},
        {{32, 32}, 4.0, Qt::blue},    // denser than any rendering: the densest, enlarged
    };
    for (const Case& c : cases) {
        const QPixmap pixmap = PixmapAt(picture, c.size, c.ratio);
        const QString what = QStringLiteral("%1 px at ratio %2").arg(c.size.width()).arg(c.ratio);
        EXPECT_EQ(pixmap.devicePixelRatio(), c.ratio) << what.toStdString();
        EXPECT_EQ(pixmap.size(), (QSizeF(c.size) * c.ratio).toSize()) << what.toStdString();
        EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), c.size) << what.toStdString();
        EXPECT_EQ(pixmap.toImage().pixelColor(0, 0), c.from) << what.toStdString();
    }
    const Picture loaded = Solid(3, 0xff000000u);
    EXPECT_EQ(PixmapAt(loaded, {30, 30}, 2.0).size(), QSize(60, 60)) << "a picture of one density is scaled";
    EXPECT_TRUE(PixmapAt(Picture{}, {30, 30}, 1.0).isNull());
}

// A JPEG whose stored left half is red and right half blue, tagged with an
// EXIF orientation (1 as stored, 6 turned a quarter clockwise to be seen
// upright, 8 a quarter anticlockwise).
QByteArray TaggedJpeg(const QImage& image, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    // APP1: "Exif", a little-endian TIFF header, one directory holding one
    // entry: Orientation (0x0112), a SHORT, one value.
    const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                                  static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0, 0};
    QByteArray segment("\xff\xe1", 2);
    const quint16 length = qToBigEndian<quint16>(sizeof exif + 2);
    segment.append(reinterpret_cast<const char*>(&length), 2);
    segment.append(reinterpret_cast<const char*>(exif), sizeof exif);
    jpeg.insert(2, segment);  // right after the start-of-image marker
    return jpeg;
}

QByteArray TaggedJpeg(QSize stored, int orientation) {
    QImage image(stored, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, stored.width() / 2, stored.height(), Qt::red);
    return TaggedJpeg(image, orientation);
}

std::string WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName().toStdString();
}

// 'r' red, 'b' blue, '?' neither, at a point given in quarters of the picture.
char ColourAt(const Picture& picture, int x4, int y4) {
    const QColor c = ViewOf(picture).pixelColor(picture.width * x4 / 4, picture.height * y4 / 4);
    if (c.red() > 180 && c.blue() < 80) return 'r';
    if (c.blue() > 180 && c.red() < 80) return 'b';
    return '?';
}

TEST(QtPictureFile, DecodedUprightAndNoLargerThanAskedFor) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    struct Case {
        QSize stored;
        int orientation;
        PixelSize fit;
        PixelSize natural, decoded;
        const char* quarters;  // colours at (1/4, 1/4) and (3/4, 3/4)
    } cases[] = {
        {{80, 40}, 1, {}, {80, 40}, {80, 40}, "rb"},
        {{80, 40}, 6, {}, {40, 80}, {40, 80}, "rb"},    // the left side ends on top
        {{80, 40}, 8, {}, {40, 80}, {40, 80}, "br"},    // ... or at the bottom
        {{80, 40}, 6, {20, 20}, {40, 80}, {10, 20}, "rb"},  // fitted upright
        {{80, 40}, 1, {200, 200}, {80, 40}, {80, 40}, "rb"},  // never enlarged
        {{1600, 1200}, 1, {100, 100}, {1600, 1200}, {100, 75}, "rb"},  // the decoder's own reduction
        {{1600, 1200}, 6, {300, 300}, {1200, 1600}, {225, 300}, "rb"},
    };
    for (const Case& c : cases) {
        const QString name = QStringLiteral("%1x%2-%3.jpg").arg(c.stored.width()).arg(c.stored.height()).arg(c.orientation);
        const std::string path = WriteFile(dir, name, TaggedJpeg(c.stored, c.orientation));
        const std::string what = name.toStdString() + " in " + std::to_string(c.fit.width) + "x" + std::to_string(c.fit.height);
        const std::optional<LoadedPicture> loaded = DecodePictureFile(path, c.fit);
        ASSERT_TRUE(loaded.has_value()) << what;
        EXPECT_EQ(loaded->natural, c.natural) << what;
        EXPECT_EQ((PixelSize{loaded->picture.width, loaded->picture.height}), c.decoded) << what;
        EXPECT_EQ(std::string({ColourAt(loaded->picture, 1, 1), ColourAt(loaded->picture, 3, 3)}), c.quarters) << what;
    }
}

// Four quarters of four colours, each a chequer of 8-pixel squares with
// white: a picture squeezed along one axis and stretched back, or turned
// or mirrored the wrong way, differs from it everywhere.
QImage Quarters(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const QColor colours[] = {Qt::red, Qt::blue, Qt::darkGreen, Qt::black};
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QColor& colour = colours[(y * 2 / size.height()) * 2 + x * 2 / size.width()];
            image.setPixelColor(x, y, (x / 8 + y / 8) % 2 ? colour : QColor(Qt::white));
        }
    }
    return image;
}

// The mean difference of two pictures of one size, per colour channel (0..255).
double MeanDifference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) sum += std::abs(int(a.pixels[i] >> shift & 0xff) - int(b.pixels[i] >> shift & 0xff));
    }
    return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

// A photo taken turned is decoded as the same photo stored upright would
// be, at every size it is fitted into.
TEST(QtPictureFile, ATurnedPictureDecodesLikeTheSamePictureStoredUpright) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const QImage stored = Quarters({192, 96});
    const struct {
        int orientation;
        QTransform upright;  // what turns the stored picture to be seen upright
    } tags[] = {{6, QTransform().rotate(90)}, {8, QTransform().rotate(270)}, {3, QTransform().rotate(180)}};
    const PixelSize fits[] = {{}, {48, 96}, {40, 40}, {96, 48}, {1000, 1000}};
    for (const auto& tag : tags) {
        const std::string turned = WriteFile(dir, QStringLiteral("turned-%1.jpg").arg(tag.orientation), TaggedJpeg(stored, tag.orientation));
        const std::string upright = WriteFile(dir, QStringLiteral("upright-%1.jpg").arg(tag.orientation),
                                              TaggedJpeg(stored.transformed(tag.upright), 1));
        for (const PixelSize fit : fits) {
            const std::string what = "tag " + std::to_string(tag.orientation) + " in " + std::to_string(fit.width) + "x" +
                                     std::to_string(fit.height);
            const std::optional<LoadedPicture> got = DecodePictureFile(turned, fit);
            const std::optional<LoadedPicture> want = DecodePictureFile(upright, fit);
            ASSERT_TRUE(got && want) << what;
            EXPECT_EQ(got->natural, want->natural) << what;
            ASSERT_EQ((PixelSize{got->picture.width, got->picture.height}), (PixelSize{want->picture.width, want->picture.height}))
                << what;
            EXPECT_LT(MeanDifference(got->picture, want->picture), 16.0) << what;
        }
    }
}

// A small JPEG whose frame header is made to declare another size: the
// decoder reads it as that size, the missing data padded, so a test can
// have a huge JPEG of a few hundred bytes.
QByteArray JpegDeclaring(int width, int height, bool progressive) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray jpeg = qt_test::Encoded(image, "jpeg", 75, progressive);
    const int frame = jpeg.indexOf(progressive ? "\xff\xc2" : "\xff\xc0");
    qToBigEndian<quint16>(height, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(width, jpeg.data() + frame + 7);
    return jpeg;
}

TEST(QtPictureFile, WhatWouldNeedMoreThanTheBudgetIsRefused) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    // 8000 x 8000: four times the budget whole, a sixteenth of it decoded
    // reduced; progressive, the coefficients of the whole picture alone are
    // over it.
    const std::string sequential = WriteFile(dir, "sequential.jpg", JpegDeclaring(8000, 8000, false));
    const std::string progressive = WriteFile(dir, "progressive.jpg", JpegDeclaring(8000, 8000, true));
    // The refusal is the decoder's own, whatever limit Qt keeps.
    const int qt_limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1024);
    struct Case {
        const std::string& path;
        PixelSize fit;
        std::optional<PixelSize> decoded;
    } cases[] = {
        {sequential, {}, std::nullopt},
        {sequential, {1920, 1080}, PixelSize{1080, 1080}},
        {progressive, {1920, 1080}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<LoadedPicture> loaded = DecodePictureFile(c.path, c.fit);
        const std::string what = c.path + " in " + std::to_string(c.fit.width) + "x" + std::to_string(c.fit.height);
        ASSERT_EQ(loaded.has_value(), c.decoded.has_value()) << what;
        if (loaded) {
            EXPECT_EQ((PixelSize{loaded->picture.width, loaded->picture.height}), *c.decoded) << what;
        }
    }
    QImageReader::setAllocationLimit(qt_limit);
}

TEST(QtPictureFile, DecodesAheadOnTheWorkerAndDropsWhatIsNotTaken) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const std::string a = WriteFile(dir, "a.jpg", TaggedJpeg({400, 200}, 6));
    const std::string b = WriteFile(dir, "b.jpg", TaggedJpeg({400, 200}, 1));
    QtServices services;
    auto dropped = services.LoadPictureAhead(a, {100, 100});
    auto taken = services.LoadPictureAhead(b, {100, 100});
    dropped.reset();
    std::optional<LoadedPicture> loaded = taken->Take();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(taken->Ready());
    EXPECT_EQ((PixelSize{loaded->picture.width, loaded->picture.height}), (PixelSize{100, 50}));
    EXPECT_FALSE(taken->Take().has_value()) << "only the first take gets the picture";
    EXPECT_FALSE(services.LoadPictureAhead(dir.filePath("none.jpg").toStdString(), {})->Take().has_value());
}

}  // namespace
}  // namespace kestrova
