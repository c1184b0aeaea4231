#include "fit_picture.h"

#include <cmath>

namespace kestrova {
namespace {

// Nearest integer, a half going to the even neighbour (the default
// floating-point rounding mode).
std::int32_t Nearest(double x) { return static_cast<std::int32_t>(std::nearbyint(x)); }

}  // namespace

// Every quotient is a division followed by a multiplication, in double:
// the order decides the last bit and with it where halves fall.
void FitPicture(FitValues& v, Flag16 zoom_mode) {
    const double W = v.AreaWidth;
    const double H = v.AreaHeight;
    const double w = v.PictureWidth;
    const double h = v.PictureHeight;
    // An empty picture has nothing to fit; it keeps the area and no offset.
    if (w <= 0 || h <= 0) {
        v.OffsetX = v.OffsetY = 0;
        return;
    }
    if (W >= w) v.DrawnWidth = v.PictureWidth;
    if (H >= h) v.DrawnHeight = v.PictureHeight;
    bool check_height = true;
    if (W < w) {
        v.DrawnWidth = Nearest(W / w * w);
        v.DrawnHeight = Nearest(W / w * h);
    } else if (H < h) {
        v.DrawnWidth = Nearest(H / h * v.DrawnWidth);
        v.DrawnHeight = Nearest(H / h * h);
        check_height = false;
    } else if (IsOn(zoom_mode)) {
        v.DrawnWidth = Nearest(W / w * w);
        v.DrawnHeight = Nearest(W / w * h);
    } else {
        v.DrawnWidth = v.PictureWidth;
        v.DrawnHeight = v.PictureHeight;
    }
    if (check_height && v.DrawnHeight > H) {
        const double dh = v.DrawnHeight;
        v.DrawnWidth = Nearest(H / dh * v.DrawnWidth);
        v.DrawnHeight = Nearest(H / dh * dh);
    }
    v.OffsetX = Nearest((W - v.DrawnWidth) / 2);
    v.OffsetY = Nearest((H - v.DrawnHeight) / 2);
}

}  // namespace kestrova
