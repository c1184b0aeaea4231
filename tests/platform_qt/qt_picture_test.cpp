// Pictures on scaled screens: a picture drawn at several densities is shown
// from the rendering made for the screen, not enlarged from the plain one.
#include <gtest/gtest.h>

#include "platform/qt/qt_convert.h"
#include "platform_qt/qt_test_support.h"

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

}  // namespace
}  // namespace kestrova
