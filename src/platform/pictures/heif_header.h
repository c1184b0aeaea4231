#pragma once
// What a HEIF file's codec configuration tells before any decoding: how
// finely its colour is sampled, which decides how much the codec's planes
// take (a phone's 4:2:0 photo half of what a 4:4:4 one does).
#include <cstddef>
#include <string_view>

namespace kestrova {

// How much of a file's start the configuration boxes are looked for in. The
// boxes that describe the pictures come first in a photo's file; a file
// that keeps them after its picture data is counted at the most.
inline constexpr std::size_t kHeifHeadBytes = 1 << 20;

// The samples a pixel of the file's coded picture has, counting luma as 1:
// 1.5 for 4:2:0, 2 for 4:2:2, 3 for 4:4:4, 1 for grey. Read from the HEVC
// or AV1 configuration boxes in `head`, the file's first kHeifHeadBytes,
// the most of them when there are several; 3 when none can be read.
double HeifSamplesPerPixel(std::string_view head);

}  // namespace kestrova
