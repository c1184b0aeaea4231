#pragma once
// What a HEIF file's codec configuration tells before any decoding: how
// finely its colour is sampled, which decides how much the codec's planes
// take (a phone's 4:2:0 photo half of what a 4:4:4 one does).
#include <string>

namespace kestrova {

// The samples a pixel of the file's coded picture has, counting luma as 1:
// 1.5 for 4:2:0, 2 for 4:2:2, 3 for 4:4:4, 1 for grey. Read from the HEVC
// or AV1 configuration boxes near the file's start, the most of them when
// there are several; 3 when none can be read.
double HeifSamplesPerPixel(const std::string& path);

}  // namespace kestrova
