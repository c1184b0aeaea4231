// WebP through libwebp, reduced while it decodes: what it shows must be what
// Qt's reader shows once the whole picture is scaled down, for lossy and
// lossless pictures, with alpha, turned by their EXIF chunk; the first frame
// of an animation lands where it belongs on its canvas; and a damaged file
// is passed over.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

#include "platform/qt/qt_picture_decode.h"
#include "platform/qt/webp_decode.h"
#include "qt_test_support.h"
#include "support/picture_comparison.h"
#include "webp_bytes.h"

namespace kestrova {
namespace {

using namespace webp_test;

using testing::SizeOf;

std::string WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.write(bytes);
    return file.fileName().toStdString();
}

// Smooth colour in both directions, so that two ways of averaging agree
// closely, and, when asked, alpha that fades across without reaching zero
// (where colour would mean nothing).
QImage Gradient(int width, int height, bool alpha) {
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int a = alpha ? 96 + 159 * x / (width - 1) : 255;
            image.setPixel(x, y, qRgba(255 * x / (width - 1), 255 * y / (height - 1), 200 - 150 * x / (width - 1), a));
        }
    }
    return image;
}


TEST(WebpDecode, ReducedWhileDecodingAsQtScalesTheWholePicture) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"lossless.webp", Webp(Gradient(96, 64, false))},
        {"lossy.webp", qt_test::Encoded(Gradient(96, 64, false), "webp", 90)},
        {"alpha.webp", Webp(Gradient(96, 64, true))},
        {"lossy-alpha.webp", qt_test::Encoded(Gradient(96, 64, true), "webp", 90)},
        {"turned.webp", TaggedWebp(Gradient(96, 64, false), 6)},
        {"mirrored.webp", TaggedWebp(Gradient(96, 64, true), 4)},
        {"turned-mirrored.webp", TaggedWebp(Gradient(96, 64, false), 7)},
    };
    for (const Case& c : cases) {
        const std::string path = WriteFile(dir, c.name, c.bytes);
        ASSERT_TRUE(IsWebpFile(path)) << c.name;
        for (const PixelSize fit : {PixelSize{}, PixelSize{48, 48}, PixelSize{25, 40}, PixelSize{7, 7}}) {
            const std::string what = std::string(c.name) + " in " + std::to_string(fit.width) + "x" + std::to_string(fit.height);
            const std::optional<LoadedPicture> reduced = DecodePictureFile(path, fit);
            const std::optional<LoadedPicture> scaled = DecodeWithQtReader(path, fit);
            // Whole, both are libwebp's own pixels; reduced, two ways of
            // averaging part them.
            testing::ExpectSameDecode(reduced, scaled, fit.Empty() ? 0 : 6, what);
        }
    }
}

TEST(WebpDecode, AnimationsFirstFrameLandsInPlaceOnItsCanvas) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    QImage first(32, 16, QImage::Format_RGB32);
    first.fill(qRgb(200, 40, 10));
    QImage second(64, 32, QImage::Format_RGB32);
    second.fill(Qt::white);
    const std::string path = WriteFile(dir, "partial.webp", AnimatedWebp({64, 32}, {{first, {16, 8}}, {second, {}}}));
    struct Fit {
        PixelSize box;
        int scale;  // the canvas's size over the decoded one
    };
    for (const Fit fit : {Fit{{}, 1}, Fit{{32, 32}, 2}, Fit{{16, 16}, 4}}) {
        const std::string what = "in " + std::to_string(fit.box.width) + "x" + std::to_string(fit.box.height);
        const std::optional<LoadedPicture> loaded = DecodePictureFile(path, fit.box);
        ASSERT_TRUE(loaded.has_value()) << what;
        EXPECT_EQ(loaded->natural, (PixelSize{64, 32})) << what;
        const Picture& picture = loaded->picture;
        ASSERT_EQ(SizeOf(picture), (PixelSize{64 / fit.scale, 32 / fit.scale})) << what;
        auto at = [&](int x, int y) { return picture.pixels[static_cast<size_t>(y / fit.scale * picture.width + x / fit.scale)]; };
        // Points of the canvas, well inside or outside the frame.
        EXPECT_EQ(at(24, 12), qRgb(200, 40, 10)) << what << ": inside the frame";
        EXPECT_EQ(at(40, 20), qRgb(200, 40, 10)) << what << ": inside the frame";
        for (const auto& [x, y] : {std::pair{4, 4}, std::pair{60, 4}, std::pair{4, 28}, std::pair{60, 28}}) {
            EXPECT_EQ(qAlpha(at(x, y)), 0) << what << ": outside the frame at " << x << "," << y;
        }
    }
}

// Each made from a good WebP, which itself is read.
TEST(WebpDecode, DamagedFilesArePassedOver) {
    qt_test::EnsureApplication();
    QTemporaryDir dir;
    const QByteArray lossy = qt_test::Encoded(Gradient(96, 64, false), "webp", 90);
    const QByteArray lossless = Webp(Gradient(96, 64, false));
    const QByteArray animated = AnimatedWebp({Gradient(96, 64, false), Gradient(96, 64, true)});
    QByteArray bad_signature = lossless;
    bad_signature[20] = '\x00';  // the lossless bitstream's signature byte
    QByteArray chunk_past_end = lossy;
    qToLittleEndian<quint32>(0x7ffffff0u, chunk_past_end.data() + 16);  // the bitstream chunk's size
    QByteArray garbled = lossless;
    for (qsizetype i = 25; i < garbled.size(); ++i) garbled[i] = static_cast<char>(i * 37);
    struct Case {
        const char* name;
        QByteArray bytes;
        bool shown;
    };
    const Case cases[] = {
        {"lossy.webp", lossy, true},
        {"lossless.webp", lossless, true},
        {"animated.webp", animated, true},
        {"lossy-cut.webp", lossy.left(lossy.size() / 2), false},
        {"lossless-cut.webp", lossless.left(lossless.size() / 2), false},
        {"animated-cut-in-first-frame.webp", animated.left(animated.indexOf("ANMF") + 60), false},
        {"header-only.webp", lossy.left(30), false},
        {"no-frame.webp", Riff("WEBP"), false},
        {"bad-signature.webp", bad_signature, false},
        {"chunk-past-end.webp", chunk_past_end, false},
        {"garbled.webp", garbled, false},
    };
    for (const Case& c : cases) {
        const std::string path = WriteFile(dir, c.name, c.bytes);
        for (const PixelSize fit : {PixelSize{}, PixelSize{24, 24}}) {
            EXPECT_EQ(DecodePictureFile(path, fit).has_value(), c.shown) << c.name << (fit.Empty() ? " whole" : " reduced");
        }
    }
}

}  // namespace
}  // namespace kestrova
