#pragma once
// Pictures on the screen: the program's ARGB pixels as device-independent
// bitmaps and icons, and a picture stretched smoothly (halftone) once and
// then only copied while picture and size stay the same.
#include <windows.h>

#include <memory>

#include "platform/pictures/picture.h"

namespace kestrova {

// A top-down 32-bit device-independent section of width x height; its
// pixels are at *bits.
HBITMAP MakeSection(int width, int height, void** bits);
// A top-down 32-bit bitmap holding the picture's pixels; nullptr when empty.
HBITMAP MakeBitmap(const Picture& picture);
// The icon drawn into a size x size picture, transparency kept.
Picture IconToPicture(HICON icon, int size);
// The least dense rendering of the picture that has pixels enough for
// width x height, so a scaled screen gets a picture drawn for it.
const Picture& RenderingFor(const Picture& picture, int width, int height);
// An icon of size x size made from the picture (scaled), for image lists.
HICON PictureToIcon(const Picture& picture, int size);

class StretchedPicture {
public:
    StretchedPicture() = default;
    ~StretchedPicture();
    StretchedPicture(const StretchedPicture&) = delete;
    StretchedPicture& operator=(const StretchedPicture&) = delete;

    // Draws the picture into target, stretched with halftone.
    void Draw(HDC dc, const std::shared_ptr<const Picture>& picture, const RECT& target);
    void Forget();

private:
    std::shared_ptr<const Picture> for_;
    SIZE size_{};
    HBITMAP bitmap_ = nullptr;
};

}  // namespace kestrova
