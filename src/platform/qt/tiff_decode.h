#pragma once
// TIFF pictures through libtiff, read a strip or a row of tiles at a time
// and reduced to the drawn size as the pieces arrive: the whole picture is
// never held as 32-bit pixels, which Qt's TIFF reader always does. Uses no
// window: runs on any thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

// Whether the file begins the way TIFF files do (classic or BigTIFF, either
// byte order), so that it is libtiff's to read whatever its name.
bool IsTiffFile(const std::string& path);

struct TiffDecode {
    // The first page at FitInside(natural upright size, fit), turned upright
    // by its orientation tag; nullopt when the file is damaged, cut short or
    // the picture would pass the budget.
    std::optional<LoadedPicture> loaded;
    // A kind of TIFF libtiff's RGBA reading does not take (floating-point
    // samples, for one), which Qt's own reader may still read.
    bool unknown_kind = false;
};

TiffDecode DecodeTiffFile(const std::string& path, PixelSize fit);

}  // namespace kestrova
