// A window's controls follow their state objects: captions, texts, values,
// colours, places, timers.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/model/listview.h"
#include "win32_form_window.h"
#include "win32_list_window.h"
#include "win32_picture_control.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

// Texts written for the other platform break lines with LF or a lone CR.
std::wstring WithCrLf(const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r') {
            out += L"\r\n";
            if (i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
        } else if (wide[i] == L'\n') {
            out += L"\r\n";
        } else {
            out += wide[i];
        }
    }
    return out;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

void FormWindow::ShowEnabled(Win32Binding& binding) {
    if (binding.hwnd) EnableWindow(binding.hwnd, binding.control->Enabled());
}

void FormWindow::ShowFocus(Win32Binding& binding) {
    if (binding.hwnd) SetFocus(binding.hwnd);
}

void FormWindow::ShowPicture(Win32Binding& binding) {
    if (binding.picture) binding.picture->PictureChanged();
}

void FormWindow::ShowCaption(Win32Binding& binding) {
    const Control& control = *binding.control;
    switch (control.Kind()) {
        case ControlKind::Label:
            SetWindowTextW(binding.hwnd, WithCrLf(control.Caption()).c_str());
            break;
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
        case ControlKind::Frame: {
            // "&" is a plain character in these captions, not an access key.
            std::wstring text;
            for (wchar_t c : WideFromUtf8(control.Caption())) {
                text += c;
                if (c == L'&') text += L'&';
            }
            SetWindowTextW(binding.hwnd, text.c_str());
            break;
        }
        case ControlKind::Menu:
            if (binding.id && !binding.menu) {
                for (auto& [other_control, other] : bindings_) {
                    if (!other.menu) continue;
                    const std::wstring text = WideFromUtf8(control.Caption());
                    ModifyMenuW(other.menu, binding.id, MF_BYCOMMAND | MF_STRING, binding.id, text.c_str());
                }
            }
            break;
        default:
            break;
    }
}

// Only a text that differs is written, so the user's caret stays where it
// is when a Change handler leaves the text alone.
void FormWindow::ShowText(Win32Binding& binding) {
    const Control& control = *binding.control;
    const std::string* text = nullptr;
    if (control.Kind() == ControlKind::TextBox) text = &static_cast<const TextBox&>(control).Text();
    if (control.Kind() == ControlKind::ComboBox) text = &static_cast<const ComboBox&>(control).Text();
    if (!text || !binding.hwnd) return;
    const std::wstring wide = WideFromUtf8(*text);
    if (WindowText(binding.hwnd) != wide) SetWindowTextW(binding.hwnd, wide.c_str());
}

void FormWindow::ShowValue(Win32Binding& binding) {
    const Control& control = *binding.control;
    if (!binding.hwnd) return;
    if (control.Kind() == ControlKind::CheckBox) {
        const int value = static_cast<const CheckBox&>(control).Value();
        SendMessageW(binding.hwnd, BM_SETCHECK, value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED, 0);
    } else if (control.Kind() == ControlKind::OptionButton) {
        SendMessageW(binding.hwnd, BM_SETCHECK, static_cast<const OptionButton&>(control).Value() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void FormWindow::ShowVisible(Win32Binding& binding) {
    const Control& control = *binding.control;
    if (binding.hwnd) ShowWindow(binding.hwnd, control.Visible() ? SW_SHOWNA : SW_HIDE);
    // Hiding a frame hides what it holds.
    if (control.Kind() == ControlKind::Frame) {
        for (auto& [other_control, other] : bindings_) {
            if (other_control->Container() == control.Name() && other.hwnd) {
                ShowWindow(other.hwnd, control.Visible() && other_control->Visible() ? SW_SHOWNA : SW_HIDE);
            }
        }
    }
    if (control.Kind() == ControlKind::Line) InvalidateRect(Handle(), nullptr, TRUE);
}

void FormWindow::ShowColors(Win32Binding& binding) {
    const Control& control = *binding.control;
    if (binding.brush) DeleteObject(binding.brush);
    binding.brush = nullptr;
    if (auto back = control.BackColor()) binding.brush = CreateSolidBrush(ToColorRef(*back));
    if (control.Kind() == ControlKind::CommandButton && binding.hwnd) {
        // A coloured button is drawn by the window; a plain one by the system.
        const LONG_PTR style = GetWindowLongPtrW(binding.hwnd, GWL_STYLE);
        const bool owner_drawn = (style & BS_TYPEMASK) == BS_OWNERDRAW;
        const bool coloured = control.BackColor().has_value() || control.ForeColor().has_value();
        if (owner_drawn != coloured) SendMessageW(binding.hwnd, BM_SETSTYLE, coloured ? BS_OWNERDRAW : BS_PUSHBUTTON, TRUE);
    }
    if (binding.hwnd) InvalidateRect(binding.hwnd, nullptr, TRUE);
    if (binding.picture) binding.picture->PictureChanged();
    if (binding.list_window) binding.list_window->ColorsChanged();
    if (control.Kind() == ControlKind::Line) InvalidateRect(Handle(), nullptr, TRUE);
}

void FormWindow::ShowGeometry(Win32Binding& binding) {
    const Control& control = *binding.control;
    if (control.Kind() == ControlKind::Line) InvalidateRect(Handle(), nullptr, TRUE);
    if (!binding.hwnd) return;
    const POINT origin = ContainerOrigin(control);
    RECT rect = TwipsToPixels(Rect{control.Left() + origin.x, control.Top() + origin.y, control.Width(), control.Height()}, dpi_);
    int height = rect.bottom - rect.top;
    if (control.Kind() == ControlKind::ComboBox) height += TwipsToPixels(kTwipsPerPixel * 200, dpi_);
    SetWindowPos(binding.hwnd, nullptr, rect.left, rect.top, std::max(0, static_cast<int>(rect.right - rect.left)),
                 std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
    if (control.Kind() == ControlKind::Frame) {
        for (auto& [other_control, other] : bindings_) {
            if (other_control->Container() == control.Name() && other_control != &control) ShowGeometry(other);
        }
    }
}

void FormWindow::ShowItems(Win32Binding& binding) {
    Control& control = *binding.control;
    if (control.Kind() == ControlKind::ComboBox && binding.hwnd) {
        const auto& combo = static_cast<const ComboBox&>(control);
        SendMessageW(binding.hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(binding.hwnd, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo.Items()) {
            const std::wstring wide = WideFromUtf8(item);
            SendMessageW(binding.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        SendMessageW(binding.hwnd, WM_SETREDRAW, TRUE, 0);
        SetWindowTextW(binding.hwnd, WideFromUtf8(combo.Text()).c_str());
    }
}

void FormWindow::ShowTimer(Win32Binding& binding) {
    const auto& timer = static_cast<const Timer&>(*binding.control);
    if (!Handle() || !binding.timer) return;
    if (timer.Enabled() && timer.Interval() > 0) {
        // Enabling or a new interval starts the count again, as the control does.
        SetTimer(Handle(), binding.timer, static_cast<UINT>(timer.Interval()), nullptr);
    } else {
        KillTimer(Handle(), binding.timer);
    }
}

void FormWindow::StopTimer(Win32Binding& binding) {
    if (binding.timer && Handle()) KillTimer(Handle(), binding.timer);
}

// Controls without a colour of their own show the window's colour, as the
// see-through controls of the tables were drawn.
LRESULT FormWindow::ControlColors(HDC dc, HWND child, bool edit) {
    Win32Binding* binding = BindingOf(child);
    if (!binding) binding = BindingOf(GetParent(child));
    const Control* control = binding ? binding->control : nullptr;
    if (control && control->ForeColor()) SetTextColor(dc, ToColorRef(*control->ForeColor()));
    if (control && binding->brush) {
        SetBkColor(dc, ToColorRef(*control->BackColor()));
        return reinterpret_cast<LRESULT>(binding->brush);
    }
    if (edit) return DefWindowProcW(Handle(), edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(child));
    if (back_brush_) {
        SetBkColor(dc, ToColorRef(*form_.BackColor()));
        return reinterpret_cast<LRESULT>(back_brush_);
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void FormWindow::DrawButton(const DRAWITEMSTRUCT& item) {
    Win32Binding* binding = BindingOf(item.hwndItem);
    if (!binding) return;
    const Control& control = *binding->control;
    RECT rect = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &rect, binding->brush ? binding->brush : GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(item.hDC, &rect, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    SetBkMode(item.hDC, TRANSPARENT);
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    SetTextColor(item.hDC, !enabled ? GetSysColor(COLOR_GRAYTEXT)
                           : control.ForeColor() ? ToColorRef(*control.ForeColor())
                                                 : GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(item.hDC, font_);
    std::wstring text = WideFromUtf8(control.Caption());
    if (pushed) OffsetRect(&rect, 1, 1);
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace kestrova
