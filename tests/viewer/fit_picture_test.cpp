#include "viewer/fit_picture.h"

#include <gtest/gtest.h>

#include "viewer/picture_kind.h"

namespace kestrova {
namespace {

struct FitCase {
    const char* what;
    int area_w, area_h, pic_w, pic_h, zoom;
    int drawn_w, drawn_h, off_x, off_y;
};

TEST(FitPictureTest, FitsWholeCentredAndRoundsHalvesToEven) {
    const FitCase cases[] = {
        {"larger both ways", 1920, 1080, 4000, 3000, 0, 1440, 1080, 240, 0},
        {"small, not enlarged", 1920, 1080, 100, 50, 0, 100, 50, 910, 515},
        {"small, enlarged to the width", 1920, 1080, 100, 50, 1, 1920, 960, 0, 60},
        {"enlarged past the height, then reduced", 1920, 1080, 100, 100, 1, 1080, 1080, 420, 0},
        {"fits the width, taller than the area", 1920, 1080, 1000, 2160, 0, 500, 1080, 710, 0},
        {"1 x 1 not enlarged", 1920, 1080, 1, 1, 0, 1, 1, 960, 540},
        {"1 x 1 enlarged", 1920, 1080, 1, 1, 1, 1080, 1080, 420, 0},
        {"exactly the area", 1920, 1080, 1920, 1080, 0, 1920, 1080, 0, 0},
        {"exactly the area, enlarged", 1920, 1080, 1920, 1080, 1, 1920, 1080, 0, 0},
        // 1/2 x 5 = 2.5 -> 2, 1/2 x 7 = 3.5 -> 4
        {"half rounds down to even", 1, 100, 2, 5, 0, 1, 2, 0, 49},
        {"half rounds up to even", 1, 100, 2, 7, 0, 1, 4, 0, 48},
        // offsets: (5 - 2) / 2 = 1.5 -> 2 and (7 - 2) / 2 = 2.5 -> 2
        {"offset half to even, up", 5, 7, 2, 2, 0, 2, 2, 2, 2},
        {"offset half to even, down", 7, 5, 2, 2, 0, 2, 2, 2, 2},
    };
    for (const FitCase& c : cases) {
        FitValues v;
        v.AreaWidth = v.DrawnWidth = c.area_w;
        v.AreaHeight = v.DrawnHeight = c.area_h;
        v.PictureWidth = c.pic_w;
        v.PictureHeight = c.pic_h;
        FitPicture(v, static_cast<Flag16>(c.zoom));
        EXPECT_EQ(v.DrawnWidth, c.drawn_w) << c.what;
        EXPECT_EQ(v.DrawnHeight, c.drawn_h) << c.what;
        EXPECT_EQ(v.OffsetX, c.off_x) << c.what;
        EXPECT_EQ(v.OffsetY, c.off_y) << c.what;
    }
}

TEST(PictureKindTest, ExtensionsCountInOneCaseOnly) {
    const std::pair<const char*, PictureKind> cases[] = {
        {"/p/a.JPG", PictureKind::Platform}, {"/p/a.jpg", PictureKind::Platform}, {"/p/a.jpe", PictureKind::Platform},
        {"/p/a.JPEG", PictureKind::Platform}, {"/p/a.bmp", PictureKind::Platform}, {"/p/a.ICO", PictureKind::Platform},
        {"/p/a.gif", PictureKind::Platform}, {"/p/a.PNG", PictureKind::Png},       {"/p/a.png", PictureKind::Png},
        {"/p/a.Png", PictureKind::None},     {"/p/a.Jpg", PictureKind::None},      {"/p/a.txt", PictureKind::None},
        {"/p/jpg", PictureKind::None},       {"/p/a.png.txt", PictureKind::None},
        {"/p/a.webp", PictureKind::Platform}, {"/p/a.WEBP", PictureKind::Platform}, {"/p/a.HEIC", PictureKind::Platform},
        {"/p/a.heif", PictureKind::Platform}, {"/p/a.avif", PictureKind::Platform}, {"/p/a.TIF", PictureKind::Platform},
        {"/p/a.tiff", PictureKind::Platform}, {"/p/a.Heic", PictureKind::None},     {"/p/a.WebP", PictureKind::None},
        {"/p/a.tif.bak", PictureKind::None},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(PictureKindOf(path), kind) << path;
}

}  // namespace
}  // namespace kestrova
