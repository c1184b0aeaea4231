#pragma once
#include <algorithm>
#include <cstdint>

namespace kestrova {

// Window positions and sizes are kept in twips, the unit the window tables use.
// One twip is 1/15 of a logical pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;

// A screen at 100 %: one logical pixel is one device pixel.
constexpr int kDefaultScreenDpi = 96;

// Twips as the device pixels of a screen of `dpi` dots per inch, rounded
// to the nearest (halves away from zero), as the window system rounds.
constexpr int DevicePixels(int twips, int dpi) {
    const std::int64_t product = std::int64_t{twips} * dpi;
    const std::int64_t rounded = (product < 0 ? product - 720 : product + 720) / 1440;
    return static_cast<int>(std::clamp<std::int64_t>(rounded, INT32_MIN, INT32_MAX));
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
