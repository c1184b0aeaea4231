#include "win32_window.h"

#include "resource_ids.h"
#include "win32_dpi.h"

#include <set>
#include <string>

namespace kestrova {

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

UINT Window::Dpi() const { return hwnd_ ? WindowDpi(hwnd_) : USER_DEFAULT_SCREEN_DPI; }

void Window::RegisterOnce(const wchar_t* class_name, UINT class_style, HBRUSH background, bool with_icon) {
    static std::set<std::wstring> registered;
    if (!registered.insert(class_name).second) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = class_style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = ProgramInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = class_name;
    wc.hIcon = with_icon ? LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(KESTROVA_ICON_ID)) : nullptr;
    RegisterClassExW(&wc);
}

bool Window::Create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect,
                    HWND parent, HMENU menu_or_id) {
    return CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, menu_or_id, ProgramInstance(), this) != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = self->HandleMessage(message, wparam, lparam);
        self->hwnd_ = nullptr;
        return result;
    }
    return self->HandleMessage(message, wparam, lparam);
}

RECT TwipsToPixels(const Rect& rect, UINT dpi) {
    const int at = static_cast<int>(dpi);
    const int left = TwipsToPixels(rect.left, at);
    const int top = TwipsToPixels(rect.top, at);
    return {left, top, left + TwipsToPixels(rect.width, at), top + TwipsToPixels(rect.height, at)};
}

COLORREF ToColorRef(Color color) { return RGB(color.red, color.green, color.blue); }

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

}  // namespace kestrova
