#pragma once
// The base of every window the backend makes itself: it holds its HWND, and
// one static window procedure hands each message to the object kept in the
// window's GWLP_USERDATA.
#include <windows.h>

#include "platform/model/geometry.h"

namespace kestrova {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    // Dots per inch of the monitor the window is on (96 before it exists).
    UINT Dpi() const;

protected:
    // Registers the class once per name, with this base's procedure and,
    // unless told otherwise, the program's icon.
    static void RegisterOnce(const wchar_t* class_name, UINT class_style, HBRUSH background, bool with_icon = true);
    bool Create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, const RECT& rect,
                HWND parent, HMENU menu_or_id);
    virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    HWND hwnd_ = nullptr;
};

// A rectangle in twips as the window system's, at a given density.
RECT TwipsToPixels(const Rect& rect, UINT dpi);
COLORREF ToColorRef(Color color);
// The module of the running program.
HINSTANCE ProgramInstance();

}  // namespace kestrova
