#pragma once
// WebP pictures through libwebp, which scales while it decodes: the picture
// comes out at the drawn size without the whole of it ever being held as
// 32-bit pixels (Qt's WebP reader cannot reduce while it reads). Uses no
// window: runs on any thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

// Whether the file begins the way WebP files do (a RIFF container of WEBP),
// so that it is libwebp's to read whatever its name.
bool IsWebpFile(const std::string& path);

// The picture (the first frame of an animation, on its canvas) at
// FitInside(natural upright size, fit), turned upright by the orientation of
// the file's EXIF chunk; nullopt when the file cannot be decoded or the
// decode would pass the budget.
std::optional<LoadedPicture> DecodeWebpFile(const std::string& path, PixelSize fit);

}  // namespace kestrova
