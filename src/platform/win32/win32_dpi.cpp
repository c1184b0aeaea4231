#include "win32_dpi.h"

#include <string>

namespace kestrova {
namespace {

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Function>
void LookUp(HMODULE module, const char* name, Function& function) {
    if (module) function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// From the system folder only: a DLL of that name beside the program is
// never the one meant.
HMODULE SystemLibrary(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    const UINT n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
    if (n == 0 || n >= path.size()) return nullptr;
    path.resize(n);
    return LoadLibraryW((path + L"\\" + name).c_str());
}

}  // namespace

const DpiApi& DpiApi::Running() {
    static const DpiApi api = [] {
        DpiApi found;
        const HMODULE user = GetModuleHandleW(L"user32.dll");
        LookUp(user, "GetDpiForWindow", found.dpi_for_window);
        LookUp(user, "AdjustWindowRectExForDpi", found.adjust_for_dpi);
        if (!found.dpi_for_window) LookUp(SystemLibrary(L"shcore.dll"), "GetDpiForMonitor", found.dpi_for_monitor);
        return found;
    }();
    return api;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT WindowDpi(HWND hwnd, const DpiApi& api) {
    if (hwnd && api.dpi_for_window) {
        if (const UINT dpi = api.dpi_for_window(hwnd)) return dpi;
    }
    if (hwnd && api.dpi_for_monitor) {
        UINT x = 0;
        UINT y = 0;
        if (SUCCEEDED(api.dpi_for_monitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && x) {
            return x;
        }
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi, const DpiApi& api) {
    if (api.adjust_for_dpi && api.adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)) return;
    // The frame the system draws at its own DPI, scaled to this one.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int system = static_cast<int>(SystemDpi());
    auto scaled = [&](LONG v) { return MulDiv(v, static_cast<int>(dpi), system); };
    rect.left += scaled(frame.left);
    rect.top += scaled(frame.top);
    rect.right += scaled(frame.right);
    rect.bottom += scaled(frame.bottom);
}

}  // namespace kestrova
