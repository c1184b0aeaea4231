// What the user does in a window reaches the program's Form and controls as events.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "win32_form_window.h"
#include "win32_list_window.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

std::string WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8FromWide(text);
}

}  // namespace

int MouseButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: return kLeftButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: return kRightButton;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: return kMiddleButton;
        default: return 0;
    }
}

int ModifierMask() {
    int mask = 0;
    if (GetKeyState(VK_SHIFT) < 0) mask |= kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) mask |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) mask |= kAltMask;
    return mask;
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLOSE:
            // The close box only asks: the program decides whether the window goes.
            if (!detached_) UserClose(form_);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // the program never holds the session up
        case WM_ENDSESSION:
            // The session may end as soon as this returns: the program's
            // close runs now, inside it.
            if (wparam && !detached_) UserEndSession(form_);
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(wparam), &client, back_brush_ ? back_brush_ : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SIZE:
        case WM_MOVE:
            ReportPlacement(false);
            break;
        case WM_DPICHANGED:
            DpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_COMMAND:
            Command(wparam, lparam);
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
                static std::wstring tip;
                Win32Binding* binding = BindingOf(reinterpret_cast<HWND>(info->hdr.idFrom));
                tip = binding ? WideFromUtf8(binding->control->ToolTip()) : std::wstring();
                info->lpszText = tip.data();
                return 0;
            }
            if (Win32Binding* binding = BindingOf(header->hwndFrom); binding && binding->list_window && !detached_) {
                return binding->list_window->Notify(*header);
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ControlColors(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), false);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return ControlColors(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), true);
        case WM_DRAWITEM:
            DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_TIMER:
            for (auto& [control, binding] : bindings_) {
                if (binding.timer == wparam) {
                    TimerFired(binding);
                    return 0;
                }
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            WindowKey(wparam);
            if (message == WM_SYSKEYDOWN && wparam != VK_F4) return 0;
            break;
        case WM_SYSCHAR:
            // Alt with a key is the program's; without a menu bar it would only beep.
            if (wparam != VK_SPACE) return 0;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            if (WindowMouse(message, wparam, lparam)) return 0;
            break;
        default:
            break;
    }
    return Window::HandleMessage(message, wparam, lparam);
}

void FormWindow::WindowKey(WPARAM key) {
    if (detached_) return;
    // With a control focused the key went to that control first.
    HWND focus = GetFocus();
    if (focus && focus != Handle() && IsChild(Handle(), focus)) return;
    UserFormKeyDown(form_, static_cast<int>(key), ModifierMask());
}

bool FormWindow::WindowMouse(UINT message, WPARAM, LPARAM lparam) {
    if (detached_) return false;
    const int x = PixelsToTwips(GET_X_LPARAM(lparam), Dpi());
    const int y = PixelsToTwips(GET_Y_LPARAM(lparam), Dpi());
    switch (message) {
        case WM_LBUTTONUP:
            if (GetCapture() == Handle()) ReleaseCapture();
            FormReleased(kLeftButton, true);
            return true;
        case WM_LBUTTONDBLCLK:
            // The system sends press, release, double click: the order the handlers were written for.
            UserFormDblClick(form_);
            return true;
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        default: {
            const int button = MouseButtonOf(message);
            if (button == kLeftButton) SetCapture(Handle());
            FormPressed(button, ModifierMask(), x, y);
            return true;
        }
    }
}

void FormWindow::Command(WPARAM wparam, LPARAM lparam) {
    if (detached_) return;
    const UINT code = HIWORD(wparam);
    const auto child = reinterpret_cast<HWND>(lparam);
    if (!child) {
        // IsDialogMessage's Enter and Esc come without a control; nothing to do.
        return;
    }
    Win32Binding* binding = BindingOf(child);
    if (!binding) return;
    Control& control = *binding->control;
    switch (control.Kind()) {
        case ControlKind::CommandButton:
            if (code == BN_CLICKED) UserClick(control);
            break;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) UserToggled(*binding);
            break;
        case ControlKind::TextBox:
            if (code == EN_CHANGE && !applying_) {
                UserEditText(control, WindowText(binding->hwnd));
                Apply(*binding, Property::Text);
            }
            break;
        case ControlKind::ComboBox:
            if (code == CBN_EDITCHANGE && !applying_) {
                UserEditText(control, WindowText(binding->hwnd));
            } else if (code == CBN_SELCHANGE && !applying_) {
                const auto index = static_cast<int>(SendMessageW(binding->hwnd, CB_GETCURSEL, 0, 0));
                if (index >= 0) UserPickComboItem(static_cast<ComboBox&>(control), index);
            }
            break;
        default:
            break;
    }
}

LRESULT CALLBACK FormWindow::ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<FormWindow*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &FormWindow::ControlProc, GetDlgCtrlID(hwnd));
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    Win32Binding* binding = self->detached_ ? nullptr : self->BindingOf(hwnd);
    if (binding && self->ControlMessage(*binding, hwnd, message, wparam, lparam)) return 0;
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

// True when the message is used up here.
bool FormWindow::ControlMessage(Win32Binding& binding, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Control& control = *binding.control;
    if (binding.list_window) return binding.list_window->ControlMessage(hwnd, message, wparam, lparam);
    switch (message) {
        case WM_ERASEBKGND:
            // A frame is see-through inside; the window beneath it does not
            // paint there (it clips its children), so the frame does.
            if (control.Kind() != ControlKind::Frame) return false;
            {
                RECT rect;
                GetClientRect(hwnd, &rect);
                FillRect(reinterpret_cast<HDC>(wparam), &rect, back_brush_ ? back_brush_ : GetSysColorBrush(COLOR_BTNFACE));
            }
            return true;
        case WM_SETFOCUS:
            if (!applying_focus_) UserFocus(control);
            return false;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            UserKeyDown(control, static_cast<int>(wparam), ModifierMask());
            return message == WM_SYSKEYDOWN && wparam != VK_F4;
        case WM_SYSCHAR:
            return wparam != VK_SPACE;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const int button = MouseButtonOf(message);
            POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            if (hwnd != binding.hwnd) MapWindowPoints(hwnd, binding.hwnd, &at, 1);
            if (ControlPressed(control, button, ModifierMask(), PixelsToTwips(at.x, Dpi()), PixelsToTwips(at.y, Dpi()))) {
                SetCapture(hwnd);
            }
            return false;
        }
        case WM_LBUTTONUP: {
            if (!ClicksOnRelease(control.Kind())) return false;
            RECT rect;
            GetClientRect(hwnd, &rect);
            const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            if (GetCapture() == hwnd) ReleaseCapture();
            ControlReleased(control, kLeftButton, PtInRect(&rect, at));
            return false;
        }
        case WM_LBUTTONDBLCLK:
            if (ClicksOnRelease(control.Kind())) {
                UserDblClick(control);
                return true;
            }
            UserDblClick(control);
            return false;
        default:
            return false;
    }
}

}  // namespace kestrova
