#pragma once
// Picture files through the Windows Imaging Component: BMP, ICO, GIF, JPEG
// and PNG. A picture larger than the target is decoded straight to the
// target's size (aspect kept), so a photo for the screen never costs the
// memory of its full resolution. Safe to call from any thread.
#include <optional>
#include <string>

#include "platform/picture.h"

namespace kestrova {

struct DecodedPicture {
    Picture picture;  // at most max_width x max_height
    int natural_width = 0;  // the file's own size, upright
    int natural_height = 0;
};

// max_width or max_height of 0 leaves that side unlimited. With upright,
// a camera's orientation tag turns the picture the way it was taken.
std::optional<DecodedPicture> DecodePictureFile(const std::string& path, int max_width, int max_height,
                                                bool upright = true);

// The size a picture of width x height is reduced to so it fits the box,
// aspect kept; never enlarged, never below one pixel.
void FitWithin(int width, int height, int max_width, int max_height, int& out_width, int& out_height);

}  // namespace kestrova
