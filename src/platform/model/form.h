#pragma once
// A window: its own state (caption, sizes, window state, visibility) and the
// controls built from its table. A backend watches it through FormObserver.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "controls.h"

namespace kestrova {

class Form;
class ListView;

enum WindowState : int { kNormal = 0, kMinimized = 1, kMaximized = 2 };

enum class FormBorder {
    Sizable,          // ordinary main window
    FixedToolWindow,  // fixed size, small caption, no minimise/maximise
    FixedDialog,
    None,             // full-screen viewer
};

enum class FormProperty { Caption, Geometry, WindowState, Visible, BackColor, Topmost, Focus, Drawing };

class FormObserver {
public:
    virtual ~FormObserver() = default;
    virtual void FormChanged(Form& form, FormProperty what) = 0;
    virtual void ControlChanged(Control& control, Property what) = 0;
    // A pop-up menu is shown at the mouse and returns when it closes.
    virtual void PopupMenu(Form& form, Menu& menu) = 0;
};

// A picture drawn onto the window's own surface, stretched into a
// rectangle of the client area (twips).
struct SurfaceDrawing {
    std::shared_ptr<const Picture> picture;
    Rect target;
};

struct FormDesign {
    std::string name;
    std::string caption;
    int client_width = 4800;  // design-time inner size, twips
    int client_height = 3600;
    FormBorder border = FormBorder::Sizable;
    bool center_on_screen = true;
    bool key_preview = false;  // form sees keys before its controls
    bool has_icon = true;      // the program's icon in the frame and on the task bar
};

class Form {
public:
    Form(FormDesign design, const std::vector<ControlDesign>& table);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return design_.name; }
    const FormDesign& Design() const { return design_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    // Outer size and position (frame included) and inner (client) size, twips.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int ScaleWidth() const { return scale_width_; }
    int ScaleHeight() const { return scale_height_; }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    void Move(int left, int top, int width, int height);

    WindowState State() const { return state_; }
    void SetWindowState(WindowState state);

    bool Visible() const { return visible_; }
    void Show();
    void Hide();
    // True once the window has been shown at least once (first show centres it).
    bool EverShown() const { return ever_shown_; }

    std::optional<Color> BackColor() const { return back_color_; }
    void SetBackColor(std::optional<Color> c);

    bool Topmost() const { return topmost_; }
    // Returns false when the window system refused (never, headless).
    bool SetTopmost(bool on);

    Control* ActiveControl() const { return active_; }
    void Activate();  // bring to front and give it the focus

    void PopupMenu(Menu& menu);

    // The window's drawing surface: Cls clears it to the back colour,
    // PaintPicture draws a picture stretched into target.
    void Cls();
    void PaintPicture(std::shared_ptr<const Picture> picture, const Rect& target);
    const std::optional<SurfaceDrawing>& Drawing() const { return drawing_; }

    const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
    Control* Find(std::string_view name) const;
    template <typename T>
    T& Get(std::string_view name) const {
        auto* typed = dynamic_cast<T*>(Find(name));
        if (!typed) throw std::logic_error("window " + design_.name + " has no control " + std::string(name));
        return *typed;
    }
    std::vector<OptionButton*> OptionGroup(const OptionButton& member) const;

    void SetObserver(FormObserver* observer) { observer_ = observer; }
    FormObserver* Observer() const { return observer_; }

    // Size of the frame around the client area; a backend corrects it from
    // the real window, the defaults fit a captioned window.
    int FrameWidth() const { return frame_dx_; }
    int FrameHeight() const { return frame_dy_; }
    // Screen size (twips) used when maximising without a real screen.
    void SetScreenSize(int width, int height);
    // Dots per inch of the screen the window is on, as its device pixels
    // count them: 96 at 100 %, 144 at 150 %. Pictures are decoded and drawn
    // in those pixels. Told by the backend; 96 until it does.
    int ScreenDpi() const { return screen_dpi_; }
    void SetScreenDpi(int dpi) { screen_dpi_ = dpi > 0 ? dpi : kDefaultDpi; }

    // ---- reported by a backend: the user moved, resized or focused ----
    void BackendGeometry(int left, int top, int outer_w, int outer_h, int inner_w, int inner_h, WindowState state);
    void BackendFocus(Control* control);

    ClickHandler Load;
    ClickHandler Resize;
    ClickHandler QueryUnload;  // close box, whatever its cause
    // The user's session ends (logout, shutdown, a termination signal). The
    // system may end the process as soon as the handler returns.
    ClickHandler SessionEnd;
    ClickHandler Click;
    ClickHandler DblClick;
    ClickHandler Activated;
    MouseHandler MouseDown;
    KeyHandler KeyDown;

    // Used by controls to report their changes.
    void NotifyControl(Control& control, Property what);

private:
    void NotifyForm(FormProperty what);
    void ApplyEmulatedSize();

    FormDesign design_;
    std::string caption_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    int scale_width_ = 0;
    int scale_height_ = 0;
    int normal_width_ = 0;
    int normal_height_ = 0;
    int frame_dx_ = 120;
    int frame_dy_ = 678;
    int screen_width_ = 1920 * kTwipsPerPixel;
    int screen_height_ = 1080 * kTwipsPerPixel;
    int screen_dpi_ = kDefaultDpi;
    WindowState state_ = kNormal;
    bool visible_ = false;
    bool ever_shown_ = false;
    bool topmost_ = false;
    std::optional<Color> back_color_;
    std::optional<SurfaceDrawing> drawing_;
    Control* active_ = nullptr;
    FormObserver* observer_ = nullptr;
    std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace kestrova
