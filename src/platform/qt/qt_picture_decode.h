#pragma once
// Decoding picture files with Qt's image readers (and HEIF files with
// libheif), reduced to the size they will be drawn at and turned upright.
// Uses no window: runs on any thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit);

}  // namespace kestrova
