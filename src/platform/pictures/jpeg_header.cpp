#include "jpeg_header.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace kestrova {
namespace {

constexpr int kMarkerStart = 0xff;
constexpr int kStartOfImage = 0xd8;
constexpr int kStartOfScan = 0xda;
constexpr int kEndOfImage = 0xd9;
constexpr int kBlock = 8;
constexpr int kBytesPerCoefficient = 2;

// Start-of-frame markers: 0xc0..0xcf but for 0xc4 (Huffman tables), 0xc8
// (reserved) and 0xcc (arithmetic conditioning).
bool IsStartOfFrame(int marker) {
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Progressive frames: 0xc2, 0xc6, 0xca, 0xce.
bool IsProgressive(int marker) { return (marker & 0x03) == 0x02; }

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

}  // namespace

std::optional<std::int64_t> JpegWholeCoefficientBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    auto byte = [&in]() -> int { return in.get(); };
    if (byte() != kMarkerStart || byte() != kStartOfImage) return std::nullopt;
    for (;;) {
        int marker = byte();
        if (marker != kMarkerStart) return std::nullopt;
        while (marker == kMarkerStart) marker = byte();  // fill bytes
        if (marker < 0 || marker == kStartOfScan || marker == kEndOfImage) return std::nullopt;
        const int high = byte();
        const int low = byte();
        if (low < 0) return std::nullopt;
        const int length = high << 8 | low;
        if (length < 2) return std::nullopt;
        if (!IsStartOfFrame(marker)) {
            in.seekg(length - 2, std::ios::cur);
            continue;
        }
        if (!IsProgressive(marker)) return 0;
        std::array<int, 6> frame{};
        for (int& b : frame) b = byte();
        const std::int64_t height = frame[1] << 8 | frame[2];
        const std::int64_t width = frame[3] << 8 | frame[4];
        const int components = frame[5];
        if (components <= 0 || components > 4 || in.fail()) return std::nullopt;
        std::array<int, 4> h{}, v{};
        for (int i = 0; i < components; ++i) {
            byte();  // component id
            const int sampling = byte();
            byte();  // quantisation table
            h[static_cast<size_t>(i)] = std::max(1, sampling >> 4);
            v[static_cast<size_t>(i)] = std::max(1, sampling & 0x0f);
        }
        if (in.fail()) return std::nullopt;
        const int h_max = *std::max_element(h.begin(), h.begin() + components);
        const int v_max = *std::max_element(v.begin(), v.begin() + components);
        // Each component keeps whole blocks over whole MCUs.
        const std::int64_t mcus_x = CeilDiv(width, std::int64_t{kBlock} * h_max);
        const std::int64_t mcus_y = CeilDiv(height, std::int64_t{kBlock} * v_max);
        std::int64_t coefficients = 0;
        for (int i = 0; i < components; ++i) {
            coefficients += mcus_x * h[static_cast<size_t>(i)] * kBlock * mcus_y * v[static_cast<size_t>(i)] * kBlock;
        }
        return coefficients * kBytesPerCoefficient;
    }
}

}  // namespace kestrova
