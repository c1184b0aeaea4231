#include "icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrova {
namespace {

constexpr int kSize = 32;
constexpr std::uint32_t kClear = 0x00000000u;
constexpr std::uint32_t kBlack = 0xff202020u;
constexpr std::uint32_t kWhite = 0xffffffffu;
constexpr std::uint32_t kRed = 0xffd02020u;
constexpr std::uint32_t kYellow = 0xfff0c040u;
constexpr std::uint32_t kBlue = 0xff2060d0u;
constexpr std::uint32_t kGreen = 0xff30a040u;
constexpr std::uint32_t kGrey = 0xff909090u;
constexpr std::uint32_t kSky = 0xff90c8f0u;

class Canvas {
public:
    Canvas() {
        picture_.width = kSize;
        picture_.height = kSize;
        picture_.pixels.assign(kSize * kSize, kClear);
    }
    void Set(int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < kSize && y < kSize) picture_.pixels[static_cast<size_t>(y * kSize + x)] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) Set(x, y, c);
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
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d < r0 || d > r1) continue;
                if (gap_top && dy < 0 && std::fabs(dx) < -dy * 0.6) continue;
                Set(x, y, c);
            }
    }
    void Disc(double cx, double cy, double r, std::uint32_t c) { Ring(cx, cy, 0, r, c); }
    // A page with a folded corner.
    void Page(int x0, int y0, int x1, int y1, std::uint32_t paper, std::uint32_t edge) {
        Fill(x0, y0, x1, y1, paper);
        Frame(x0, y0, x1, y1, edge);
        for (int i = 0; i < 6; ++i) {
            Fill(x1 - 4 + i, y0 + i, x1, y0 + i, kClear);
            Set(x1 - 5 + i, y0 + i, edge);
        }
        for (int y = y0 + 4; y + 2 < y1; y += 4) Fill(x0 + 3, y, x1 - 4, y, kGrey);
    }
    std::shared_ptr<const Picture> Done() { return std::make_shared<const Picture>(std::move(picture_)); }

private:
    Picture picture_;
};

}  // namespace

std::shared_ptr<const Picture> StopIcon() {
    Canvas c;
    c.Disc(16, 16, 15, kRed);
    c.Ring(16, 16, 13, 15, kBlack);
    c.Fill(10, 10, 21, 21, kWhite);
    return c.Done();
}

std::shared_ptr<const Picture> FolderColumnIcon() {
    Canvas c;
    c.Fill(2, 8, 12, 11, kYellow);
    c.Fill(2, 11, 29, 25, kYellow);
    c.Frame(2, 11, 29, 25, kBlack);
    c.Fill(8, 27, 24, 29, kBlue);  // the column that comes and goes
    c.Fill(8, 2, 24, 4, kBlue);
    return c.Done();
}

std::shared_ptr<const Picture> PowerOffIcon() {
    Canvas c;
    c.Ring(16, 17, 9, 12, kRed, true);
    c.Fill(15, 2, 17, 16, kRed);
    return c.Done();
}

std::shared_ptr<const Picture> ScannedFileIcon() {
    Canvas c;
    c.Page(6, 2, 25, 29, kWhite, kBlack);
    return c.Done();
}

std::shared_ptr<const Picture> LoadedFileIcon() {
    Canvas c;
    c.Page(6, 2, 25, 29, kWhite, kBlue);
    c.Disc(23, 24, 6, kGreen);
    return c.Done();
}

std::shared_ptr<const Picture> SameSizeFileIcon() {
    Canvas c;
    c.Page(2, 2, 19, 25, kWhite, kBlack);
    c.Page(12, 6, 29, 29, kWhite, kRed);
    return c.Done();
}

std::shared_ptr<const Picture> BitmapIcon() {
    Canvas c;
    c.Fill(2, 5, 29, 26, kSky);
    c.Frame(2, 5, 29, 26, kBlack);
    for (int x = 3; x <= 28; ++x) {
        const int h = 12 - std::abs(x - 12);
        c.Fill(x, 25 - std::max(0, h), x, 25, kGreen);
    }
    c.Disc(23, 11, 3, kYellow);
    return c.Done();
}

std::shared_ptr<const Picture> ResetIcon() {
    Canvas c;
    c.Ring(16, 16, 9, 12, kBlue);
    c.Fill(16, 2, 23, 8, kClear);
    c.Fill(17, 3, 22, 5, kBlue);
    c.Fill(20, 3, 22, 9, kBlue);
    return c.Done();
}

std::shared_ptr<const Picture> HelpIcon() {
    Canvas c;
    c.Disc(16, 16, 14, kBlue);
    c.Ring(16, 12, 4, 6.5, kWhite);
    c.Fill(8, 12, 15, 16, kBlue);
    c.Fill(15, 17, 17, 20, kWhite);
    c.Fill(15, 23, 17, 25, kWhite);
    return c.Done();
}

}  // namespace kestrova
