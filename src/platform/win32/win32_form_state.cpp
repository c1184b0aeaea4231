// The window itself follows its Form: place and size, state, visibility,
// colour, always-on-top, and what the program drew on its surface.
#include <algorithm>

#include "platform/model/user_input.h"
#include "win32_form_window.h"
#include "win32_list_window.h"
#include "platform/windows/wide_text.h"

namespace kestrova {

void FormWindow::ShowFormCaption() { SetWindowTextW(Handle(), WideFromUtf8(form_.Caption()).c_str()); }

void FormWindow::ShowFormColor() {
    if (back_brush_) DeleteObject(back_brush_);
    back_brush_ = form_.BackColor() ? CreateSolidBrush(ToColorRef(*form_.BackColor())) : nullptr;
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormWindow::BringToFront() {
    if (IsWindowVisible(Handle())) {
        SetForegroundWindow(Handle());
        BringWindowToTop(Handle());
    }
}

void FormWindow::ShowDrawing() {
    surface_.Forget();
    InvalidateRect(Handle(), nullptr, TRUE);
}

// The outer size is the form's; the inner size follows from the real frame,
// which the form learnt when the window was made.
void FormWindow::ShowFormGeometry() {
    if (form_.State() != kNormal || CoversScreen(form_)) return;
    Counting guard(applying_);
    const int width = std::max(1, TwipsToPixels(form_.Width(), dpi_));
    const int height = std::max(1, TwipsToPixels(form_.Height(), dpi_));
    SetWindowPos(Handle(), nullptr, TwipsToPixels(form_.Left(), dpi_), TwipsToPixels(form_.Top(), dpi_), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::CoverScreen() {
    HMONITOR monitor = MonitorFromWindow(shared_.main_window ? shared_.main_window : Handle(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return;
    const RECT& r = info.rcMonitor;
    Counting guard(applying_);
    SetWindowPos(Handle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

void FormWindow::ShowWindowState() {
    if (!IsWindowVisible(Handle())) return;  // applied when shown
    Counting guard(applying_);
    if (CoversScreen(form_)) {
        CoverScreen();
        return;
    }
    switch (form_.State()) {
        case kMinimized: ShowWindow(Handle(), SW_MINIMIZE); break;
        case kMaximized: ShowWindow(Handle(), SW_MAXIMIZE); break;
        case kNormal:
            ShowWindow(Handle(), SW_RESTORE);
            break;
    }
}

void FormWindow::HideForm() { ShowWindow(Handle(), SW_HIDE); }

void FormWindow::ShowForm() {
    {
        Counting guard(applying_);
        if (CoversScreen(form_)) {
            CoverScreen();
            ShowWindow(Handle(), SW_SHOW);
        } else {
            ShowWindow(Handle(), form_.State() == kMinimized   ? SW_SHOWMINIMIZED
                                 : form_.State() == kMaximized ? SW_SHOWMAXIMIZED
                                                               : SW_SHOW);
        }
    }
    SetForegroundWindow(Handle());
    FlushLists(true);
    ReportPlacement(false);
}

void FormWindow::CenterOnScreen() {
    HMONITOR monitor = MonitorFromWindow(shared_.main_window ? shared_.main_window : Handle(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return;
    RECT window;
    GetWindowRect(Handle(), &window);
    const RECT& area = info.rcWork;
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    Counting guard(applying_);
    SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Always on top changes the order only: whether the window shows is the form's.
void FormWindow::ShowTopmost() {
    SetWindowPos(Handle(), form_.Topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void FormWindow::ReportPlacement(bool hidden_too) {
    if (detached_ || applying_ || !Handle()) return;
    // A hidden window keeps the state the program gave it for when it shows.
    if (!hidden_too && !IsWindowVisible(Handle())) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Handle(), &placement);
    RECT outer;
    RECT inner;
    GetWindowRect(Handle(), &outer);
    GetClientRect(Handle(), &inner);
    WindowState state = IsWindowVisible(Handle()) ? kNormal : form_.State();
    if (IsIconic(Handle())) state = kMinimized;
    else if (IsZoomed(Handle()) || (CoversScreen(form_) && IsWindowVisible(Handle()))) state = kMaximized;
    // A minimised window keeps its normal place; only the inner size is gone.
    if (state == kMinimized) outer = placement.rcNormalPosition;
    ShownWindow shown;
    shown.left = outer.left;
    shown.top = outer.top;
    shown.outer_width = outer.right - outer.left;
    shown.outer_height = outer.bottom - outer.top;
    shown.inner_width = inner.right;
    shown.inner_height = inner.bottom;
    shown.state = state;
    ReportShown(shown);
}

void FormWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Line || !control->Visible()) continue;
        const auto& line = static_cast<const Line&>(*control);
        const POINT origin = ContainerOrigin(line);
        const COLORREF colour = line.ForeColor() ? ToColorRef(*line.ForeColor()) : GetSysColor(COLOR_WINDOWTEXT);
        HPEN pen = CreatePen(PS_SOLID, std::max(1, MulDiv(1, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI)), colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, TwipsToPixels(line.X1() + origin.x, dpi_), TwipsToPixels(line.Y1() + origin.y, dpi_), nullptr);
        LineTo(dc, TwipsToPixels(line.X2() + origin.x, dpi_), TwipsToPixels(line.Y2() + origin.y, dpi_));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    if (const auto& drawing = form_.Drawing(); drawing && drawing->picture) {
        surface_.Draw(dc, drawing->picture, TwipsToPixels(drawing->target, dpi_));
    }
    EndPaint(Handle(), &ps);
}

void FormWindow::DpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    ReportScreenDpi();
    MakeFont();
    {
        Counting guard(applying_);
        SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (auto& [control, binding] : bindings_) {
        if (binding.hwnd) SendMessageW(binding.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        Apply(binding, Property::Geometry);
        if (binding.list_window) binding.list_window->DpiChanged(dpi);
    }
    ReportPlacement(false);
    InvalidateRect(Handle(), nullptr, TRUE);
}

Menu* FormWindow::ShowPopup(Win32Binding& menu) {
    if (!menu.menu) return nullptr;
    POINT at;
    GetCursorPos(&at);
    // The menu's window must be in front for the menu to close on a click elsewhere.
    SetForegroundWindow(Handle());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, 0, Handle(), nullptr));
    PostMessageW(Handle(), WM_NULL, 0, 0);
    auto item = menu_items_.find(chosen);
    return chosen == 0 || item == menu_items_.end() ? nullptr : item->second;
}

}  // namespace kestrova
