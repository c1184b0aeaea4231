#pragma once
// Fitting a picture into a viewer window: shown whole, centred, with its
// aspect ratio kept; reduced when larger than the area, enlarged only when
// asked to.
#include <cstdint>

#include "core/shared_state.h"

namespace kestrova {

// All sizes in one unit (twips in the viewer). On entry the drawn size
// equals the area; FitPicture writes the drawn size and the offsets.
struct FitValues {
    std::int32_t AreaWidth = 0;
    std::int32_t AreaHeight = 0;
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
    std::int32_t DrawnWidth = 0;
    std::int32_t DrawnHeight = 0;
    std::int32_t OffsetX = 0;
    std::int32_t OffsetY = 0;
};

void FitPicture(FitValues& v, Flag16 zoom_mode);

}  // namespace kestrova
