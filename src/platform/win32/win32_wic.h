#pragma once
// Picture files through the Windows Imaging Component: BMP, ICO, GIF, JPEG
// and PNG, and WebP, HEIC/HEIF, AVIF and TIFF where Windows has their codec
// (a missing codec fails like an unreadable file). A picture larger than
// the target is decoded straight to the target's size (aspect kept), so a
// photo for the screen never costs the memory of its full resolution. Safe
// to call from any thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

// The picture at FitInside(natural upright size, fit), turned the way a
// camera's orientation tag (or a HEIF file's rotation) says it was taken;
// the first frame of an animation, the first page of a TIFF. nullopt when
// the file cannot be decoded or the decode would pass the budget.
std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit);

}  // namespace kestrova
