#include "form.h"

#include <algorithm>

#include "file_list_controls.h"
#include "listview.h"

namespace kestrova {
namespace {

std::unique_ptr<Control> MakeControl(Form& form, const ControlDesign& design) {
    switch (design.kind) {
        case ControlKind::Label: return std::make_unique<Label>(form, design);
        case ControlKind::CommandButton: return std::make_unique<CommandButton>(form, design);
        case ControlKind::CheckBox: return std::make_unique<CheckBox>(form, design);
        case ControlKind::OptionButton: return std::make_unique<OptionButton>(form, design);
        case ControlKind::TextBox: return std::make_unique<TextBox>(form, design);
        case ControlKind::ComboBox: return std::make_unique<ComboBox>(form, design);
        case ControlKind::Frame: return std::make_unique<Frame>(form, design);
        case ControlKind::Line: return std::make_unique<Line>(form, design);
        case ControlKind::Image: return std::make_unique<ImageControl>(form, design);
        case ControlKind::PictureBox: return std::make_unique<PictureBox>(form, design);
        case ControlKind::Timer: return std::make_unique<Timer>(form, design);
        case ControlKind::Menu: return std::make_unique<Menu>(form, design);
        case ControlKind::ListView: return std::make_unique<ListView>(form, design);
        case ControlKind::ImageList: return std::make_unique<ImageList>(form, design);
        case ControlKind::DriveList: return std::make_unique<DriveListBox>(form, design);
        case ControlKind::DirList: return std::make_unique<DirListBox>(form, design);
        case ControlKind::FileList: return std::make_unique<FileListBox>(form, design);
    }
    throw std::logic_error("unknown control kind for " + design.name);
}

}  // namespace

Form::Form(FormDesign design, const std::vector<ControlDesign>& table) : design_(std::move(design)), caption_(design_.caption) {
    if (design_.border == FormBorder::None) {
        frame_dx_ = 0;
        frame_dy_ = 0;
    } else if (design_.border == FormBorder::FixedToolWindow) {
        frame_dx_ = 90;
        frame_dy_ = 405;
    }
    scale_width_ = design_.client_width;
    scale_height_ = design_.client_height;
    width_ = normal_width_ = scale_width_ + frame_dx_;
    height_ = normal_height_ = scale_height_ + frame_dy_;
    left_ = (screen_width_ - width_) / 2;
    top_ = (screen_height_ - height_) / 2;
    controls_.reserve(table.size());
    for (const ControlDesign& row : table) {
        if (Find(row.name)) throw std::logic_error("window " + design_.name + " declares " + row.name + " twice");
        controls_.push_back(MakeControl(*this, row));
    }
}

Form::~Form() = default;

Control* Form::Find(std::string_view name) const {
    for (const auto& c : controls_) {
        if (c->Name() == name) return c.get();
    }
    return nullptr;
}

std::vector<OptionButton*> Form::OptionGroup(const OptionButton& member) const {
    std::vector<OptionButton*> group;
    for (const auto& c : controls_) {
        auto* option = dynamic_cast<OptionButton*>(c.get());
        if (option && option->Container() == member.Container()) group.push_back(option);
    }
    return group;
}

void Form::NotifyControl(Control& control, Property what) {
    if (observer_) observer_->ControlChanged(control, what);
}

void Form::NotifyForm(FormProperty what) {
    if (observer_) observer_->FormChanged(*this, what);
}

void Form::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    NotifyForm(FormProperty::Caption);
}

void Form::SetScreenSize(int width, int height) {
    screen_width_ = width;
    screen_height_ = height;
}

// Without a real window the inner size follows the outer size by the frame,
// and the window state decides which size is in force. A backend replaces
// these values with the real ones through BackendGeometry.
void Form::ApplyEmulatedSize() {
    switch (state_) {
        case kMinimized:
            scale_width_ = 0;
            scale_height_ = 0;
            break;
        case kMaximized:
            width_ = screen_width_;
            height_ = screen_height_;
            scale_width_ = width_ - frame_dx_;
            scale_height_ = height_ - frame_dy_;
            break;
        case kNormal:
            width_ = normal_width_;
            height_ = normal_height_;
            scale_width_ = std::max(0, width_ - frame_dx_);
            scale_height_ = std::max(0, height_ - frame_dy_);
            break;
    }
}

void Form::Move(int left, int top, int width, int height) {
    left_ = ClampTwips(left);
    top_ = ClampTwips(top);
    if (state_ == kNormal) {
        // A negative size is no size; the window system raises it to its minimum.
        normal_width_ = ClampTwips(width, 0);
        normal_height_ = ClampTwips(height, 0);
        ApplyEmulatedSize();
    }
    NotifyForm(FormProperty::Geometry);
    Raise(Resize);
}

void Form::SetLeft(int v) { Move(v, top_, normal_width_, normal_height_); }
void Form::SetTop(int v) { Move(left_, v, normal_width_, normal_height_); }
void Form::SetWidth(int v) { Move(left_, top_, v, normal_height_); }
void Form::SetHeight(int v) { Move(left_, top_, normal_width_, v); }

void Form::SetWindowState(WindowState state) {
    if (state == state_) return;
    state_ = state;
    ApplyEmulatedSize();
    NotifyForm(FormProperty::WindowState);
    Raise(Resize);
}

// A window's first show raises Resize, so a resize rule that was inert while
// the window loaded lays it out once at the size it opens with.
void Form::Show() {
    const bool first = !ever_shown_;
    ever_shown_ = true;
    if (visible_) {
        NotifyForm(FormProperty::Focus);
    } else {
        visible_ = true;
        NotifyForm(FormProperty::Visible);
    }
    if (first) Raise(Resize);
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    NotifyForm(FormProperty::Visible);
}

void Form::Activate() { NotifyForm(FormProperty::Focus); }

void Form::SetBackColor(std::optional<Color> c) {
    if (c == back_color_) return;
    back_color_ = c;
    NotifyForm(FormProperty::BackColor);
}

bool Form::SetTopmost(bool on) {
    topmost_ = on;
    NotifyForm(FormProperty::Topmost);
    return true;
}

void Form::PopupMenu(Menu& menu) {
    if (observer_) observer_->PopupMenu(*this, menu);
}

void Form::Cls() {
    if (!drawing_) return;
    drawing_.reset();
    NotifyForm(FormProperty::Drawing);
}

void Form::PaintPicture(std::shared_ptr<const Picture> picture, const Rect& target) {
    drawing_ = SurfaceDrawing{std::move(picture), target};
    NotifyForm(FormProperty::Drawing);
}

void Form::BackendGeometry(int left, int top, int outer_w, int outer_h, int inner_w, int inner_h, WindowState state) {
    const bool changed = outer_w != width_ || outer_h != height_ || inner_w != scale_width_ ||
                         inner_h != scale_height_ || state != state_;
    left_ = left;
    top_ = top;
    width_ = outer_w;
    height_ = outer_h;
    scale_width_ = inner_w;
    scale_height_ = inner_h;
    state_ = state;
    if (state == kNormal) {
        normal_width_ = outer_w;
        normal_height_ = outer_h;
        if (inner_w > 0 && inner_h > 0) {
            frame_dx_ = outer_w - inner_w;
            frame_dy_ = outer_h - inner_h;
        }
    }
    if (changed) Raise(Resize);
}

void Form::BackendFocus(Control* control) {
    if (control == active_) return;
    Control* previous = active_;
    active_ = control;
    if (previous) Raise(previous->LostFocus);
    if (control && active_ == control) Raise(control->GotFocus);
}


}  // namespace kestrova
