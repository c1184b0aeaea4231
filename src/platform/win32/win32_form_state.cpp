// The window itself follows its Form: place and size, state, visibility,
// colour, always-on-top, and what the program drew on its surface.
#include <algorithm>

#include "platform/model/user_input.h"
#include "win32_form_window.h"
#include "win32_list_window.h"
#include "platform/windows/wide_text.h"

namespace kestrova {

void FormWindow::FormChanged(FormProperty what) {
    if (detached_ || !Handle()) return;
    switch (what) {
        case FormProperty::Caption:
            SetWindowTextW(Handle(), WideFromUtf8(form_.Caption()).c_str());
            break;
        case FormProperty::Geometry:
            ApplyFormGeometry();
            ReportGeometry();
            break;
        case FormProperty::WindowState:
            ApplyWindowState();
            ReportGeometry();
            break;
        case FormProperty::Visible:
            ApplyVisible();
            break;
        case FormProperty::BackColor:
            if (back_brush_) DeleteObject(back_brush_);
            back_brush_ = form_.BackColor() ? CreateSolidBrush(ToColorRef(*form_.BackColor())) : nullptr;
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case FormProperty::Topmost:
            ApplyTopmost();
            break;
        case FormProperty::Focus:
            if (IsWindowVisible(Handle())) {
                SetForegroundWindow(Handle());
                BringWindowToTop(Handle());
            }
            break;
        case FormProperty::Drawing:
            surface_.Forget();
            InvalidateRect(Handle(), nullptr, TRUE);
            break;
    }
}

bool FormWindow::CoversScreen() const { return form_.Design().border == FormBorder::None && form_.State() == kMaximized; }

// The outer size is the form's; the inner size follows from the real frame,
// which the form learnt when the window was made.
void FormWindow::ApplyFormGeometry() {
    if (form_.State() != kNormal || CoversScreen()) return;
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

void FormWindow::ApplyWindowState() {
    if (!IsWindowVisible(Handle())) return;  // applied when shown
    Counting guard(applying_);
    if (CoversScreen()) {
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

void FormWindow::ApplyVisible() {
    if (!form_.Visible()) {
        ShowWindow(Handle(), SW_HIDE);
        return;
    }
    if (!shown_once_) {
        shown_once_ = true;
        if (form_.Design().center_on_screen) CenterOnScreen();
    }
    {
        Counting guard(applying_);
        if (CoversScreen()) {
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
    ReportGeometry();
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
void FormWindow::ApplyTopmost() {
    SetWindowPos(Handle(), form_.Topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

// Sizes go back in twips. A value the program set that still rounds to the
// pixels on screen is kept as it was, so remembered sizes do not drift.
void FormWindow::ReportGeometry(bool hidden_too) {
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
    else if (IsZoomed(Handle()) || (CoversScreen() && IsWindowVisible(Handle()))) state = kMaximized;
    if (state == kMinimized) {
        // A minimised window keeps its normal place; only the inner size is gone.
        outer = placement.rcNormalPosition;
    }
    auto keep = [this](int twips, int pixels) { return TwipsToPixels(twips, dpi_) == pixels ? twips : PixelsToTwips(pixels, dpi_); };
    const int outer_w = keep(form_.Width(), outer.right - outer.left);
    const int outer_h = keep(form_.Height(), outer.bottom - outer.top);
    const int inner_w = keep(form_.ScaleWidth(), inner.right);
    const int inner_h = keep(form_.ScaleHeight(), inner.bottom);
    const bool minimized = state == kMinimized;
    form_.BackendGeometry(keep(form_.Left(), outer.left), keep(form_.Top(), outer.top), outer_w, outer_h,
                          minimized ? 0 : inner_w, minimized ? 0 : inner_h, state);
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
    form_.SetScreenDpi(static_cast<int>(dpi));
    MakeFont();
    {
        Counting guard(applying_);
        SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (auto& [control, binding] : bindings_) {
        if (binding.hwnd) SendMessageW(binding.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        Apply(binding, Property::Geometry);
        if (binding.list) binding.list->DpiChanged(dpi);
    }
    ReportGeometry();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void FormWindow::FlushLists(bool force) {
    if (detached_) return;
    for (auto& [control, binding] : bindings_) {
        if (!binding.list) continue;
        if (force) binding.list->Flush();
        else binding.list->FlushIfDue();
    }
}

void FormWindow::Popup(Menu& menu) {
    if (detached_) return;
    auto it = bindings_.find(&menu);
    if (it == bindings_.end() || !it->second.menu) return;
    POINT at;
    GetCursorPos(&at);
    // The menu's window must be in front for the menu to close on a click elsewhere.
    SetForegroundWindow(Handle());
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(it->second.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                         at.x, at.y, 0, Handle(), nullptr));
    PostMessageW(Handle(), WM_NULL, 0, 0);
    if (chosen == 0 || detached_) return;
    auto item = menu_items_.find(chosen);
    if (item != menu_items_.end()) UserClick(*item->second);
}

}  // namespace kestrova
