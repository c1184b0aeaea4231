#pragma once
// One top-level window for one Form: built from the form's control table by
// one generic builder, then kept in step with the form's state both ways.
// Program changes arrive as FormChanged/ControlChanged and are mirrored to
// the native controls; what the user does goes through the user_input
// functions, which update the state before they raise the events.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/model/form.h"
#include "win32_list_window.h"
#include "win32_picture.h"
#include "win32_picture_control.h"
#include "win32_window.h"

namespace kestrova {

// What every window of one program shares.
struct BackendShared {
    // Non-zero while program code lets events through (DoEvents, WaitTurn):
    // a handler is still at work, so what can wait for idle waits.
    int pumping = 0;
    // The main window: the full-screen viewer covers the monitor it is on.
    HWND main_window = nullptr;
};

// Scope guard for a counter of updates under way.
struct Counting {
    explicit Counting(int& c) : count(c) { ++count; }
    ~Counting() { --count; }
    int& count;
};

class FormWindow final : public Window {
public:
    FormWindow(Form& form, BackendShared& shared);
    ~FormWindow() override;

    Form& GetForm() const { return form_; }
    HWND ControlHandle(const Control& control) const;
    ListWindow* ListOf(const Control& control) const;

    void FormChanged(FormProperty what);
    void ControlChanged(Control& control, Property what);
    void Popup(Menu& menu);
    // Lets list views catch up with rows the program appended.
    void FlushLists(bool force);
    // Stops mirroring and reporting; the native windows stay until destruction.
    void Detach();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    struct Binding {
        Control* control = nullptr;
        HWND hwnd = nullptr;
        HWND edit = nullptr;  // a combo box's edit field
        UINT id = 0;
        HMENU menu = nullptr;
        UINT_PTR timer = 0;
        std::unique_ptr<ListWindow> list;
        std::unique_ptr<PictureControl> picture;
        HBRUSH brush = nullptr;
        bool ticking = false;
    };

    // ---- building (win32_form_build.cpp) ----
    void Build();
    void CreateControl(Binding& binding);
    void BuildMenus();
    void MakeFont();
    void AddToolTip(Binding& binding);
    // Offset of a control's container on the window (frames hold controls).
    POINT ContainerOrigin(const Control& control) const;

    // ---- program changes -> screen (win32_form_controls.cpp) ----
    void Apply(Binding& binding, Property what);
    void ApplyAll(Binding& binding);
    void ApplyCaption(Binding& binding);
    void ApplyText(Binding& binding);
    void ApplyValue(Binding& binding);
    void ApplyColors(Binding& binding);
    void ApplyGeometry(Binding& binding);
    void ApplyItems(Binding& binding);
    void ApplyTimer(Binding& binding);
    void ApplyVisible(Binding& binding);
    LRESULT ControlColors(HDC dc, HWND child, bool edit);
    void DrawButton(const DRAWITEMSTRUCT& item);

    // ---- the window itself (win32_form_state.cpp) ----
    void ApplyFormGeometry();
    void ApplyWindowState();
    void ApplyVisible();
    void ApplyTopmost();
    void CenterOnScreen();
    void CoverScreen();
    bool CoversScreen() const;
    // Tells the form where the window is; a hidden one only when asked.
    void ReportGeometry(bool hidden_too = false);
    void Paint();
    void DpiChanged(UINT dpi, const RECT& suggested);

    // ---- user actions -> state (win32_form_events.cpp) ----
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                        DWORD_PTR data);
    bool ControlMessage(Binding& binding, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void Command(WPARAM wparam, LPARAM lparam);
    bool WindowMouse(UINT message, WPARAM wparam, LPARAM lparam);
    void WindowKey(WPARAM key);
    void Tick(Binding& binding);
    void UserToggled(Binding& binding);
    Binding* BindingOf(HWND hwnd);

    Form& form_;
    BackendShared& shared_;
    std::unordered_map<const Control*, Binding> bindings_;
    std::unordered_map<HWND, Binding*> by_hwnd_;
    std::unordered_map<UINT, Menu*> menu_items_;
    HFONT font_ = nullptr;
    HWND tooltip_ = nullptr;
    HBRUSH back_brush_ = nullptr;
    StretchedPicture surface_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    int applying_ = 0;
    bool applying_focus_ = false;
    bool shown_once_ = false;
    bool detached_ = false;
    const Control* pressed_ = nullptr;
    bool form_pressed_ = false;
};

// Shift, Ctrl and Alt as the handlers receive them, read from the keyboard now.
int ModifierMask();
// The handlers' number of the button a mouse message is about (0 for none).
int MouseButtonOf(UINT message);

}  // namespace kestrova
