// Two decodes of one picture compared pixel by pixel, for the tests of the
// decoders that reduce while they decode against a whole decode scaled.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/pictures/picture.h"
#include "platform/pictures/picture_load.h"

namespace kestrova::testing {

inline PixelSize SizeOf(const Picture& picture) { return {picture.width, picture.height}; }

// The largest difference of one channel (alpha included) between two
// pictures of one size.
inline int WorstChannel(const Picture& a, const Picture& b) {
    int worst = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16, 24}) {
            worst = std::max(worst, std::abs(static_cast<int>(a.pixels[i] >> shift & 0xff) -
                                             static_cast<int>(b.pixels[i] >> shift & 0xff)));
        }
    }
    return worst;
}

// Both decoded, of the same natural and drawn size, and no channel further
// apart than `allowed`.
inline void ExpectSameDecode(const std::optional<LoadedPicture>& got, const std::optional<LoadedPicture>& reference,
                             int allowed, const std::string& what) {
    ASSERT_TRUE(got.has_value() && reference.has_value()) << what;
    EXPECT_EQ(got->natural, reference->natural) << what;
    ASSERT_EQ(SizeOf(got->picture), SizeOf(reference->picture)) << what;
    const int worst = WorstChannel(got->picture, reference->picture);
    EXPECT_LE(worst, allowed) << what << ": a channel differs by " << worst;
}

}  // namespace kestrova::testing
