#include "heif_header.h"

#include <algorithm>
#include <utility>

namespace kestrova {
namespace {

constexpr double kMost = 3.0;

// hvcC: chroma_format_idc in the low two bits of its 17th byte.
double HevcSamples(std::string_view config) {
    if (config.size() < 17) return kMost;
    switch (static_cast<unsigned char>(config[16]) & 0x03) {
        case 0: return 1.0;
        case 1: return 1.5;
        case 2: return 2.0;
        default: return 3.0;
    }
}

// av1C: monochrome, subsampling x and y in bits 4, 3 and 2 of its third byte.
double Av1Samples(std::string_view config) {
    if (config.size() < 3) return kMost;
    const auto bits = static_cast<unsigned char>(config[2]);
    if (bits & 0x10) return 1.0;
    const bool x = (bits & 0x08) != 0;
    const bool y = (bits & 0x04) != 0;
    return x && y ? 1.5 : x ? 2.0 : 3.0;
}

}  // namespace

double HeifSamplesPerPixel(std::string_view head) {
    double most = 0;
    for (const auto& [type, samples] : {std::pair{std::string_view("hvcC"), &HevcSamples}, std::pair{std::string_view("av1C"), &Av1Samples}}) {
        for (size_t at = head.find(type); at != std::string_view::npos; at = head.find(type, at + 1)) {
            most = std::max(most, samples(head.substr(at + type.size())));
        }
    }
    return most > 0 ? most : kMost;
}

}  // namespace kestrova
