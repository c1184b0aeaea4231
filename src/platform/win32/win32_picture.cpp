#include "win32_picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrova {
namespace {

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool Complete(const Picture& picture) {
    return !picture.Empty() &&
           picture.pixels.size() >= static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
}

// The icon drawn on black and on white: where the two differ the icon is
// see-through, which recovers the alpha of icons with and without it.
std::vector<std::uint32_t> DrawnOn(HICON icon, int size, COLORREF background) {
    void* bits = nullptr;
    HBITMAP section = MakeSection(size, size, &bits);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    if (!section) return pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    RECT all{0, 0, size, size};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * 4);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);
    return pixels;
}

// The picture stretched smoothly (halftone) into a new width x height bitmap.
HBITMAP Stretched(const Picture& picture, int width, int height) {
    void* bits = nullptr;
    HBITMAP bitmap = MakeSection(width, height, &bits);
    if (!bitmap) return nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(memory, HALFTONE);
    SetBrushOrgEx(memory, 0, 0, nullptr);
    const BITMAPINFO info = TopDownInfo(picture.width, picture.height);
    StretchDIBits(memory, 0, 0, width, height, 0, 0, picture.width, picture.height, picture.pixels.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

}  // namespace

const Picture& RenderingFor(const Picture& picture, int width, int height) {
    const Picture* best = &picture;
    for (const Picture& denser : picture.denser) {
        if (best->width >= width && best->height >= height) break;
        best = &denser;
    }
    return *best;
}

HBITMAP MakeSection(int width, int height, void** bits) {
    const BITMAPINFO info = TopDownInfo(width, height);
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HBITMAP MakeBitmap(const Picture& picture) {
    if (!Complete(picture)) return nullptr;
    void* bits = nullptr;
    HBITMAP section = MakeSection(picture.width, picture.height, &bits);
    if (section) std::memcpy(bits, picture.pixels.data(), static_cast<size_t>(picture.width) * picture.height * 4);
    return section;
}

Picture IconToPicture(HICON icon, int size) {
    Picture picture;
    if (!icon || size <= 0) return picture;
    const std::vector<std::uint32_t> black = DrawnOn(icon, size, RGB(0, 0, 0));
    const std::vector<std::uint32_t> white = DrawnOn(icon, size, RGB(255, 255, 255));
    picture.width = size;
    picture.height = size;
    picture.pixels.resize(black.size());
    for (size_t i = 0; i < black.size(); ++i) {
        const std::uint32_t b = black[i];
        const std::uint32_t w = white[i];
        // Per channel, white - black = 255 - alpha; green stands for all three.
        const int alpha = 255 - std::clamp(static_cast<int>((w >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF), 0, 255);
        if (alpha == 0) {
            picture.pixels[i] = 0;
            continue;
        }
        auto channel = [&](int shift) {
            return static_cast<std::uint32_t>(std::min(255, static_cast<int>((b >> shift) & 0xFF) * 255 / alpha));
        };
        picture.pixels[i] = (static_cast<std::uint32_t>(alpha) << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
    return picture;
}

HICON PictureToIcon(const Picture& any, int size) {
    const Picture& picture = RenderingFor(any, size, size);
    if (!Complete(picture) || size <= 0) return nullptr;
    void* bits = nullptr;
    HBITMAP color = MakeSection(size, size, &bits);
    if (!color) return nullptr;
    HBITMAP source = MakeBitmap(picture);
    HDC dst = CreateCompatibleDC(nullptr);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old_dst = SelectObject(dst, color);
    HGDIOBJ old_src = SelectObject(src, source);
    if (picture.width == size && picture.height == size) {
        BitBlt(dst, 0, 0, size, size, src, 0, 0, SRCCOPY);
    } else {
        // Alpha survives a stretch only as plain colour data, which COLORONCOLOR keeps.
        SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, 0, 0, size, size, src, 0, 0, picture.width, picture.height, SRCCOPY);
    }
    GdiFlush();
    SelectObject(src, old_src);
    SelectObject(dst, old_dst);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(source);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

StretchedPicture::~StretchedPicture() { Forget(); }

void StretchedPicture::Forget() {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = nullptr;
    for_.reset();
}

void StretchedPicture::Draw(HDC dc, const std::shared_ptr<const Picture>& picture, const RECT& target) {
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;
    if (!picture || !Complete(*picture) || width <= 0 || height <= 0) return;
    if (picture != for_ || width != size_.cx || height != size_.cy || !bitmap_) {
        Forget();
        // A picture decoded for the target's device pixels is copied 1:1: a
        // stretch to the same size could still blur it.
        bitmap_ = width == picture->width && height == picture->height ? MakeBitmap(*picture) : Stretched(*picture, width, height);
        if (!bitmap_) return;
        for_ = picture;
        size_ = {width, height};
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_);
    BitBlt(dc, target.left, target.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace kestrova
