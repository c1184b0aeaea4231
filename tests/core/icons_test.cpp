#include "core/icons.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

std::uint32_t At(const Picture& picture, int x, int y) {
    return picture.pixels.at(static_cast<size_t>(y * picture.width + x));
}

// Each plain pixel repeated scale x scale times: what enlarging would show.
bool IsEnlargedFrom(const Picture& dense, const Picture& plain, int scale) {
    for (int y = 0; y < dense.height; ++y)
        for (int x = 0; x < dense.width; ++x)
            if (At(dense, x, y) != At(plain, x / scale, y / scale)) return false;
    return true;
}

TEST(Icons, DenserRenderingsAreTheSameDrawingDrawnSharp) {
    struct Case {
        const char* name;
        std::shared_ptr<const Picture> (*icon)();
        bool has_curves_or_slopes;
    } cases[] = {
        {"stop", StopIcon, true},           {"folder column", FolderColumnIcon, false},
        {"power off", PowerOffIcon, true},  {"scanned file", ScannedFileIcon, true},
        {"loaded file", LoadedFileIcon, true}, {"same size", SameSizeFileIcon, true},
        {"bitmap", BitmapIcon, true},       {"reset", ResetIcon, true},
        {"help", HelpIcon, true},
    };
    for (const Case& c : cases) {
        const std::shared_ptr<const Picture> plain = c.icon();
        ASSERT_EQ(plain->width, 32) << c.name;
        ASSERT_EQ(plain->denser.size(), 2u) << c.name;
        for (int scale = 2; scale <= 3; ++scale) {
            const Picture& dense = plain->denser[static_cast<size_t>(scale - 2)];
            ASSERT_EQ(dense.width, 32 * scale) << c.name;
            ASSERT_EQ(dense.height, 32 * scale) << c.name;
            ASSERT_EQ(dense.pixels.size(), static_cast<size_t>(32 * scale * 32 * scale)) << c.name;
            EXPECT_NE(IsEnlargedFrom(dense, *plain, scale), c.has_curves_or_slopes)
                << c.name << " at " << scale << "x: curves are drawn anew, straight cells match anyway";
        }
        // The middle pixel of every 3 x 3 block sits where the plain pixel
        // does, so the two renderings agree there exactly.
        const Picture& triple = plain->denser[1];
        int differing = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) differing += At(triple, 3 * x + 1, 3 * y + 1) != At(*plain, x, y);
        EXPECT_EQ(differing, 0) << c.name;
    }
}

}  // namespace
}  // namespace kestrova
