#pragma once
// What a WebP file's own chunks say before any decoding: the orientation
// its EXIF chunk gives the camera's picture. The WebP decoders (Qt's plugin,
// Windows' codec) leave it to the program.
#include <string>
#include <string_view>

namespace kestrova {

// The EXIF orientation (1..8) of a WebP file's EXIF chunk; 1 when the file
// is no WebP, has no EXIF chunk, or the chunk cannot be read.
int WebpOrientation(const std::string& path);

// The orientation (1..8) tag of the first image directory of EXIF data in
// TIFF form, with or without the "Exif\0\0" mark JPEG puts before it; 1 when
// there is none or the data is damaged.
int ExifOrientation(std::string_view exif);

}  // namespace kestrova
