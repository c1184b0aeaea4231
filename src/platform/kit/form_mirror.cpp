#include "form_mirror.h"

namespace kestrova {

bool CoversScreen(const Form& form) { return form.Design().border == FormBorder::None && form.State() == kMaximized; }

void FormMirrorBase::FormChanged(FormProperty what) {
    if (detached_) return;
    switch (what) {
        case FormProperty::Caption:
            ShowFormCaption();
            break;
        case FormProperty::Geometry:
            ShowFormGeometry();
            ReportGeometry();
            break;
        case FormProperty::WindowState:
            ShowWindowState();
            ReportGeometry();
            break;
        case FormProperty::Visible:
            ShowVisibility();
            break;
        case FormProperty::BackColor:
            ShowFormColor();
            break;
        case FormProperty::Topmost:
            ShowTopmost();
            break;
        case FormProperty::Focus:
            BringToFront();
            break;
        case FormProperty::Drawing:
            ShowDrawing();
            break;
    }
}

void FormMirrorBase::ShowVisibility() {
    if (!form_.Visible()) {
        HideForm();
        return;
    }
    if (!shown_once_) {
        shown_once_ = true;
        if (form_.Design().center_on_screen) CenterOnScreen();
    }
    ShowForm();
}

void FormMirrorBase::ReportShown(const ShownWindow& shown) {
    const int dpi = Dpi();
    auto keep = [dpi](int twips, int pixels) { return KeepTwips(twips, pixels, dpi); };
    const int inner_w = keep(form_.ScaleWidth(), shown.inner_width);
    const int inner_h = keep(form_.ScaleHeight(), shown.inner_height);
    const int outer_w = shown.framed ? keep(form_.Width(), shown.outer_width) : inner_w + form_.FrameWidth();
    const int outer_h = shown.framed ? keep(form_.Height(), shown.outer_height) : inner_h + form_.FrameHeight();
    // A minimised window keeps its place; only its inner size is gone.
    const bool minimized = shown.state == kMinimized;
    form_.BackendGeometry(keep(form_.Left(), shown.left), keep(form_.Top(), shown.top), outer_w, outer_h,
                          minimized ? 0 : inner_w, minimized ? 0 : inner_h, shown.state);
}

bool FormMirrorBase::ClicksOnRelease(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Image || kind == ControlKind::PictureBox ||
           kind == ControlKind::Frame;
}

bool FormMirrorBase::ControlPressed(Control& control, int button, int shift, int x, int y) {
    pressed_ = button == kLeftButton ? &control : nullptr;
    if (button != 0) UserMouseDown(control, button, shift, x, y);
    return pressed_ == &control && ClicksOnRelease(control.Kind());
}

void FormMirrorBase::ControlReleased(Control& control, int button, bool inside) {
    const bool click = button == kLeftButton && pressed_ == &control && ClicksOnRelease(control.Kind()) && inside;
    pressed_ = nullptr;
    if (click) UserClick(control);
}

void FormMirrorBase::FormPressed(int button, int shift, int x, int y) {
    form_pressed_ = button == kLeftButton;
    if (button != 0) UserFormMouseDown(form_, button, shift, x, y);
}

void FormMirrorBase::FormReleased(int button, bool inside) {
    const bool click = form_pressed_ && button == kLeftButton && inside;
    form_pressed_ = false;
    if (click) UserFormClick(form_);
}

}  // namespace kestrova
