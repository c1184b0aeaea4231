#pragma once
#include <algorithm>
#include <cstdint>

namespace kestrova {

// Window positions and sizes are kept in twips, the unit the window tables use.
// One twip is 1/15 of a logical pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kTwipsPerInch = 1440;
// The density a window system that does not scale works at (and Qt's
// logical pixels always have).
constexpr int kDefaultDpi = 96;

// a * b / c rounded to the nearest, halves away from zero, held to the int range.
constexpr int ScaledRounded(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t product = a * b;
    const std::int64_t rounded = (product < 0 ? product - c / 2 : product + c / 2) / c;
    return static_cast<int>(std::clamp<std::int64_t>(rounded, INT32_MIN, INT32_MAX));
}

// Twips and pixels at a screen's density: one rounding for every backend.
constexpr int TwipsToPixels(int twips, int dpi = kDefaultDpi) { return ScaledRounded(twips, dpi, kTwipsPerInch); }
constexpr int PixelsToTwips(int pixels, int dpi = kDefaultDpi) { return ScaledRounded(pixels, kTwipsPerInch, dpi); }

// What goes back to the program for a size shown as `pixels`: the twips the
// program set while they still round to those pixels, so remembered sizes
// do not drift by rounding on every way back.
constexpr int KeepTwips(int twips, int pixels, int dpi = kDefaultDpi) {
    return TwipsToPixels(twips, dpi) == pixels ? twips : PixelsToTwips(pixels, dpi);
}

// Window sizes and positions beyond any screen (about a million pixels).
// Values from a damaged settings file are held within it where they are
// used, so sums and differences of sizes cannot overflow.
constexpr int kMaxTwips = 1 << 24;
constexpr int ClampTwips(std::int64_t twips, int low = -kMaxTwips) {
    return static_cast<int>(std::clamp<std::int64_t>(twips, low, kMaxTwips));
}

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Color&) const = default;
};

constexpr Color Rgb(int r, int g, int b) {
    return Color{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

// Mouse buttons and modifier bits as the event handlers receive them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftMask : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Key codes follow the Windows virtual-key numbering so handlers read naturally.
enum KeyCode : int {
    kKeyBack = 8,
    kKeyTab = 9,
    kKeyReturn = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyMenu = 18,
    kKeyPause = 19,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKey0 = 48,
    kKeyA = 65,
    kKeyF1 = 112,
    kKeyF2 = 113,
};

}  // namespace kestrova
