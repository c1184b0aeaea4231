#pragma once
// HEIF pictures (HEIC from phones, AVIF) through libheif, which Qt's image
// readers do not read. libheif turns and mirrors the picture by the file's
// own transforms (irot, imir) as it decodes. Uses no window: runs on any
// thread.
#include <optional>
#include <string>

#include "platform/pictures/picture_load.h"

namespace kestrova {

// Whether the file begins the way HEIF files do (an ISO media file type
// box), so that it is libheif's to read whatever its name.
bool IsHeifFile(const std::string& path);

// The picture at FitInside(natural upright size, fit); nullopt when the file
// cannot be decoded (also when this system's libheif lacks the codec) or the
// decode would pass the budget.
// Decoded as the codec hands the planes over and reduced from them, so the
// whole picture is never held as 32-bit pixels.
std::optional<LoadedPicture> DecodeHeifFile(const std::string& path, PixelSize fit);
// The same, the planes converted whole by libheif first: for colour codings
// the reduction does not know, and a baseline to measure against.
std::optional<LoadedPicture> DecodeHeifFileInterleaved(const std::string& path, PixelSize fit);

}  // namespace kestrova
