#include "win32_picture_control.h"

#include "win32_picture.h"

#include <cstring>
#include <vector>

namespace kestrova {
namespace {

constexpr const wchar_t* kClassName = L"KestrovaPicture";

// A premultiplied copy of the picture at width x height, as AlphaBlend wants it.
HBITMAP Premultiplied(const Picture& picture, int width, int height) {
    void* bits = nullptr;
    HBITMAP section = MakeSection(width, height, &bits);
    if (!section) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        // Nearest source pixel: the renderings are made for their sizes, so
        // this only ever picks, it rarely scales.
        const int sy = static_cast<int>(static_cast<long long>(y) * picture.height / height);
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x) * picture.width / width);
            const std::uint32_t p = picture.pixels[static_cast<size_t>(sy) * picture.width + sx];
            const std::uint32_t a = p >> 24;
            auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[static_cast<size_t>(y) * width + x] =
                (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) | mul(p & 0xFF);
        }
    }
    return section;
}

}  // namespace

void DrawPictureBlended(HDC dc, const Picture& picture, const RECT& target, HBITMAP& cache, SIZE& cache_size) {
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;
    if (picture.Empty() || width <= 0 || height <= 0) return;
    if (!cache || cache_size.cx != width || cache_size.cy != height) {
        if (cache) DeleteObject(cache);
        const Picture& source = RenderingFor(picture, width, height);
        if (source.pixels.size() < static_cast<size_t>(source.width) * source.height) return;
        cache = Premultiplied(source, width, height);
        cache_size = {width, height};
        if (!cache) return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, cache);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, target.left, target.top, width, height, memory, 0, 0, width, height, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
}

PictureControl::PictureControl(const ImageControl& control, HWND parent, UINT id) : control_(control) {
    RegisterOnce(kClassName, CS_DBLCLKS, nullptr);
    Create(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, RECT{0, 0, 1, 1}, parent,
           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

PictureControl::~PictureControl() {
    if (prepared_) DeleteObject(prepared_);
}

void PictureControl::PictureChanged() {
    if (prepared_) DeleteObject(prepared_);
    prepared_ = nullptr;
    prepared_for_ = nullptr;
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT PictureControl::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(Handle(), &client);
            const auto dc = reinterpret_cast<HDC>(wparam);
            if (auto back = control_.BackColor()) {
                HBRUSH brush = CreateSolidBrush(ToColorRef(*back));
                FillRect(dc, &client, brush);
                DeleteObject(brush);
            } else {
                // The window's own background shows through, as it would under a transparent picture.
                const auto parent_brush = reinterpret_cast<HBRUSH>(
                    SendMessageW(GetParent(Handle()), WM_CTLCOLORSTATIC, wparam, reinterpret_cast<LPARAM>(Handle())));
                FillRect(dc, &client, parent_brush ? parent_brush : GetSysColorBrush(COLOR_BTNFACE));
            }
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            Paint(dc);
            EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_SIZE:
            PictureChanged();
            break;
        default:
            break;
    }
    return Window::HandleMessage(message, wparam, lparam);
}

void PictureControl::Paint(HDC dc) {
    const auto& picture = control_.GetPicture();
    if (!picture || picture->Empty()) return;
    RECT target;
    GetClientRect(Handle(), &target);
    if (!control_.Stretch()) {
        const UINT dpi = Dpi();
        target.right = target.left + MulDiv(picture->width, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
        target.bottom = target.top + MulDiv(picture->height, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    }
    if (prepared_for_ != picture.get()) {
        if (prepared_) DeleteObject(prepared_);
        prepared_ = nullptr;
        prepared_for_ = picture.get();
    }
    DrawPictureBlended(dc, *picture, target, prepared_, prepared_size_);
}

}  // namespace kestrova
