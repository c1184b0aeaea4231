#include "picture_kind.h"

namespace kestrova {

PictureKind PictureKindOf(std::string_view path) {
    struct Ending {
        std::string_view upper;
        std::string_view lower;
        PictureKind kind;
    };
    static constexpr Ending kEndings[] = {
        {".JPG", ".jpg", PictureKind::Platform},  {".JPE", ".jpe", PictureKind::Platform},
        {".JPEG", ".jpeg", PictureKind::Platform}, {".BMP", ".bmp", PictureKind::Platform},
        {".ICO", ".ico", PictureKind::Platform},  {".GIF", ".gif", PictureKind::Platform},
        {".PNG", ".png", PictureKind::Png},
        // Today's photos: phones, the web, scanners. The platform's decoders
        // read them where the system has a codec; elsewhere they fail to
        // load and are passed over like any picture that does.
        {".WEBP", ".webp", PictureKind::Platform}, {".HEIC", ".heic", PictureKind::Platform},
        {".HEIF", ".heif", PictureKind::Platform}, {".AVIF", ".avif", PictureKind::Platform},
        {".TIF", ".tif", PictureKind::Platform},   {".TIFF", ".tiff", PictureKind::Platform},
    };
    for (const Ending& e : kEndings) {
        if (path.ends_with(e.upper) || path.ends_with(e.lower)) return e.kind;
    }
    return PictureKind::None;
}

}  // namespace kestrova
