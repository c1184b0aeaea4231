#pragma once
// Decoding picture files with Qt's image readers (HEIF files with libheif,
// WebP files with libwebp, TIFF files with libtiff), reduced to the size
// they will be drawn at and turned upright.
// Uses no window: runs on any thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit);
// The same through Qt's image readers alone, whatever the file: for WebP
// the whole picture decoded and then scaled, the baseline to measure and
// compare libwebp's reduced decode against.
std::optional<LoadedPicture> DecodeWithQtReader(const std::string& path, PixelSize fit);

}  // namespace kestrova
