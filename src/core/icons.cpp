#include "icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrova {
namespace {

constexpr int kSize = 32;
// Each picture is also drawn at these pixel densities for scaled screens.
constexpr int kDensestScale = 3;
constexpr std::uint32_t kClear = 0x00000000u;
constexpr std::uint32_t kBlack = 0xff202020u;
constexpr std::uint32_t kWhite = 0xffffffffu;
constexpr std::uint32_t kRed = 0xffd02020u;
constexpr std::uint32_t kYellow = 0xfff0c040u;
constexpr std::uint32_t kBlue = 0xff2060d0u;
constexpr std::uint32_t kGreen = 0xff30a040u;
constexpr std::uint32_t kGrey = 0xff909090u;
constexpr std::uint32_t kSky = 0xff90c8f0u;

// Shapes are given on a 32 x 32 grid and drawn at `scale` pixels per grid
// step. A pixel takes a shape's colour when its centre lies inside the
// shape, so curves and slopes are drawn anew at every density rather than
// enlarged, and at scale 1 every grid cell is exactly one pixel.
class Canvas {
public:
    explicit Canvas(int scale) : scale_(scale) {
        picture_.width = kSize * scale;
        picture_.height = kSize * scale;
        picture_.pixels.assign(static_cast<size_t>(picture_.width) * static_cast<size_t>(picture_.height), kClear);
    }
    // Paints every pixel whose centre (u, v), in grid steps, is inside.
    template <class Inside>
    void Paint(std::uint32_t c, Inside inside) {
        const int n = picture_.width;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (inside((x + 0.5) / scale_, (y + 0.5) / scale_)) picture_.pixels[static_cast<size_t>(y * n + x)] = c;
    }
    // The grid cells x0..x1 by y0..y1, both ends included.
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t c) {
        const int n = picture_.width;
        for (int y = std::max(0, y0 * scale_); y < std::min(n, (y1 + 1) * scale_); ++y)
            for (int x = std::max(0, x0 * scale_); x < std::min(n, (x1 + 1) * scale_); ++x)
                picture_.pixels[static_cast<size_t>(y * n + x)] = c;
    }
    void Frame(int x0, int y0, int x1, int y1, std::uint32_t c) {
        Fill(x0, y0, x1, y0, c);
        Fill(x0, y1, x1, y1, c);
        Fill(x0, y0, x0, y1, c);
        Fill(x1, y0, x1, y1, c);
    }
    // Ring between radii r0 and r1 around (cx, cy); gap_top leaves an opening
    // at the top (for the power symbol).
    void Ring(double cx, double cy, double r0, double r1, std::uint32_t c, bool gap_top = false) {
        Paint(c, [=](double u, double v) {
            const double dx = u - cx, dy = v - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d < r0 || d > r1) return false;
            return !(gap_top && dy < 0 && std::fabs(dx) < -dy * 0.6);
        });
    }
    void Disc(double cx, double cy, double r, std::uint32_t c) { Ring(cx, cy, 0, r, c); }
    // A page with a folded corner: the corner beyond the diagonal is cut
    // away and the diagonal drawn as the fold.
    void Page(int x0, int y0, int x1, int y1, std::uint32_t paper, std::uint32_t edge) {
        Fill(x0, y0, x1, y1, paper);
        Frame(x0, y0, x1, y1, edge);
        const double cut = x1 - 4 - y0;
        const auto in_corner = [=](double u, double v) { return v >= y0 && v < y0 + 6 && u < x1 + 1; };
        Paint(kClear, [=](double u, double v) { return in_corner(u, v) && u - v >= cut; });
        Paint(edge, [=](double u, double v) { return in_corner(u, v) && u - v >= cut - 1 && u - v < cut; });
        for (int y = y0 + 4; y + 2 < y1; y += 4) Fill(x0 + 3, y, x1 - 4, y, kGrey);
    }
    Picture Done() { return std::move(picture_); }

private:
    const int scale_;
    Picture picture_;
};

using Drawing = void (*)(Canvas&);

Picture Render(Drawing draw, int scale) {
    Canvas canvas(scale);
    draw(canvas);
    return canvas.Done();
}

// The picture at its natural 32 x 32 size, with its denser renderings.
std::shared_ptr<const Picture> Drawn(Drawing draw) {
    Picture picture = Render(draw, 1);
    for (int scale = 2; scale <= kDensestScale; ++scale) picture.denser.push_back(Render(draw, scale));
    return std::make_shared<const Picture>(std::move(picture));
}

}  // namespace

std::shared_ptr<const Picture> StopIcon() {
    return Drawn([](Canvas& c) {
        c.Disc(16, 16, 15, kRed);
        c.Ring(16, 16, 13, 15, kBlack);
        c.Fill(10, 10, 21, 21, kWhite);
    });
}

std::shared_ptr<const Picture> FolderColumnIcon() {
    return Drawn([](Canvas& c) {
        c.Fill(2, 8, 12, 11, kYellow);
        c.Fill(2, 11, 29, 25, kYellow);
        c.Frame(2, 11, 29, 25, kBlack);
        c.Fill(8, 27, 24, 29, kBlue);  // the column that comes and goes
        c.Fill(8, 2, 24, 4, kBlue);
    });
}

std::shared_ptr<const Picture> PowerOffIcon() {
    return Drawn([](Canvas& c) {
        c.Ring(16, 17, 9, 12, kRed, true);
        c.Fill(15, 2, 17, 16, kRed);
    });
}

std::shared_ptr<const Picture> ScannedFileIcon() {
    return Drawn([](Canvas& c) {
        c.Page(6, 2, 25, 29, kWhite, kBlack);
    });
}

std::shared_ptr<const Picture> LoadedFileIcon() {
    return Drawn([](Canvas& c) {
        c.Page(6, 2, 25, 29, kWhite, kBlue);
        c.Disc(23, 24, 6, kGreen);
    });
}

std::shared_ptr<const Picture> SameSizeFileIcon() {
    return Drawn([](Canvas& c) {
        c.Page(2, 2, 19, 25, kWhite, kBlack);
        c.Page(12, 6, 29, 29, kWhite, kRed);
    });
}

std::shared_ptr<const Picture> BitmapIcon() {
    return Drawn([](Canvas& c) {
        c.Fill(2, 5, 29, 26, kSky);
        c.Frame(2, 5, 29, 26, kBlack);
        c.Paint(kGreen, [](double u, double v) {  // a hill peaking at 12.5, 12 steps high
            return u >= 3 && u < 29 && v < 26 && v >= 25 - std::max(0.0, 12 - std::fabs(u - 12.5));
        });
        c.Disc(23, 11, 3, kYellow);
    });
}

std::shared_ptr<const Picture> ResetIcon() {
    return Drawn([](Canvas& c) {
        c.Ring(16, 16, 9, 12, kBlue);
        c.Fill(16, 2, 23, 8, kClear);
        c.Fill(17, 3, 22, 5, kBlue);
        c.Fill(20, 3, 22, 9, kBlue);
    });
}

std::shared_ptr<const Picture> HelpIcon() {
    return Drawn([](Canvas& c) {
        c.Disc(16, 16, 14, kBlue);
        c.Ring(16, 12, 4, 6.5, kWhite);
        c.Fill(8, 12, 15, 16, kBlue);
        c.Fill(15, 17, 17, 20, kWhite);
        c.Fill(15, 23, 17, 25, kWhite);
    });
}

}  // namespace kestrova
