#pragma once
// One top-level window for one Form: built from the form's control table by
// one generic builder, then kept in step with the form by the kit's mirror,
// which tells it what to show; what the user does with the native controls
// goes back through the mirror's rules and the user_input functions.
#include <windows.h>

#include <memory>
#include <unordered_map>

#include "platform/kit/form_mirror.h"
#include "platform/kit/loop_state.h"
#include "win32_list_window.h"
#include "win32_picture.h"
#include "win32_picture_control.h"
#include "win32_window.h"

namespace kestrova {

// What every window of one program shares.
struct BackendShared {
    // The main window: the full-screen viewer covers the monitor it is on.
    HWND main_window = nullptr;
};

// A control's native window, its id, menu or timer.
struct Win32Binding : ControlBinding {
    HWND hwnd = nullptr;
    HWND edit = nullptr;  // a combo box's edit field
    UINT id = 0;
    HMENU menu = nullptr;
    UINT_PTR timer = 0;
    std::unique_ptr<ListWindow> list_window;
    std::unique_ptr<PictureControl> picture;
    HBRUSH brush = nullptr;
};

class FormWindow final : public Window, public FormMirror<Win32Binding> {
public:
    FormWindow(Form& form, BackendShared& shared, const LoopState& loop);
    ~FormWindow() override;

    HWND ControlHandle(const Control& control) const;
    ListWindow* ListOf(const Control& control) const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    // ---- building (win32_form_build.cpp) ----
    void Build();
    void CreateControl(Win32Binding& binding);
    void MakeMenu(Win32Binding& menu) override;
    void AddSubmenu(Win32Binding& menu, Win32Binding& submenu) override;
    void AddSeparator(Win32Binding& menu, Win32Binding& separator) override;
    void AddMenuItem(Win32Binding& menu, Win32Binding& item) override;
    void MakeFont();
    void AddToolTip(Win32Binding& binding);
    // Offset of a control's container on the window (frames hold controls).
    POINT ContainerOrigin(const Control& control) const;

    // ---- program changes -> screen (win32_form_controls.cpp) ----
    void ShowCaption(Win32Binding& binding) override;
    void ShowText(Win32Binding& binding) override;
    void ShowValue(Win32Binding& binding) override;
    void ShowEnabled(Win32Binding& binding) override;
    void ShowVisible(Win32Binding& binding) override;
    void ShowColors(Win32Binding& binding) override;
    void ShowGeometry(Win32Binding& binding) override;
    // Asked for when shown (TTN_GETDISPINFO).
    void ShowToolTip(Win32Binding&) override {}
    void ShowItems(Win32Binding& binding) override;
    void ShowFocus(Win32Binding& binding) override;
    void ShowPicture(Win32Binding& binding) override;
    void ShowTimer(Win32Binding& binding) override;
    void StopTimer(Win32Binding& binding) override;
    LRESULT ControlColors(HDC dc, HWND child, bool edit);
    void DrawButton(const DRAWITEMSTRUCT& item);

    // ---- the window itself (win32_form_state.cpp) ----
    int Dpi() const override { return static_cast<int>(dpi_); }
    void ShowFormCaption() override;
    void ShowFormGeometry() override;
    void ShowWindowState() override;
    void ShowForm() override;
    void HideForm() override;
    void CenterOnScreen() override;
    void ShowFormColor() override;
    void ShowTopmost() override;
    void BringToFront() override;
    void ShowDrawing() override;
    void ReportGeometry() override { ReportPlacement(false); }
    Menu* ShowPopup(Win32Binding& menu) override;
    void CoverScreen();
    // Tells the form where the window is; a hidden one only when asked.
    void ReportPlacement(bool hidden_too);
    void Paint();
    void DpiChanged(UINT dpi, const RECT& suggested);

    // ---- user actions -> state (win32_form_events.cpp) ----
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                        DWORD_PTR data);
    bool ControlMessage(Win32Binding& binding, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Command(WPARAM wparam, LPARAM lparam);
    bool WindowMouse(UINT message, WPARAM wparam, LPARAM lparam);
    void WindowKey(WPARAM key);
    Win32Binding* BindingOf(HWND hwnd);

    BackendShared& shared_;
    const LoopState& loop_;
    std::unordered_map<HWND, Win32Binding*> by_hwnd_;
    std::unordered_map<UINT, Menu*> menu_items_;
    UINT next_menu_id_ = 0;
    HFONT font_ = nullptr;
    HWND tooltip_ = nullptr;
    HBRUSH back_brush_ = nullptr;
    StretchedPicture surface_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
};

// Shift, Ctrl and Alt as the handlers receive them, read from the keyboard now.
int ModifierMask();
// The handlers' number of the button a mouse message is about (0 for none).
int MouseButtonOf(UINT message);

}  // namespace kestrova
