#pragma once
// Per-monitor DPI on every Windows the program starts on. The functions
// Windows 10 (1607) added for it are looked up when first needed, so the
// program does not import them; where they are missing, Windows 8.1's
// per-monitor query or the system's DPI stands in.
#include <windows.h>

namespace kestrova {

// The functions a Windows may have; null where it has not.
struct DpiApi {
    UINT(WINAPI* dpi_for_window)(HWND) = nullptr;                                  // Windows 10 1607
    BOOL(WINAPI* adjust_for_dpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;        // Windows 10 1607
    HRESULT(WINAPI* dpi_for_monitor)(HMONITOR, int, UINT*, UINT*) = nullptr;       // Windows 8.1, shcore
    // What the running Windows has, looked up once.
    static const DpiApi& Running();
};

// The DPI of the whole system: every window's where Windows knows no other.
UINT SystemDpi();
// Dots per inch of the monitor the window is on.
UINT WindowDpi(HWND hwnd, const DpiApi& api = DpiApi::Running());
// Makes `rect`, a window's inner area, its outer rectangle: with the frame
// this system draws for the styles at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi, const DpiApi& api = DpiApi::Running());

}  // namespace kestrova
