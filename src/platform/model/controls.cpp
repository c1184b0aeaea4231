#include "controls.h"

#include "form.h"

namespace kestrova {

Control::Control(Form& owner, const ControlDesign& design)
    : owner_(owner),
      name_(design.name),
      kind_(design.kind),
      container_(design.container),
      caption_(design.caption),
      tooltip_(design.tooltip),
      rect_(design.rect),
      visible_(design.visible) {}

void Control::Notify(Property what) { owner_.NotifyControl(*this, what); }

void Control::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Notify(Property::Caption);
}

void Control::SetToolTip(std::string tip) {
    tooltip_ = std::move(tip);
    Notify(Property::ToolTip);
}

void Control::SetBounds(const Rect& r) {
    if (r == rect_) return;
    rect_ = r;
    Notify(Property::Geometry);
}

void Control::SetLeft(int v) { SetBounds({v, rect_.top, rect_.width, rect_.height}); }
void Control::SetTop(int v) { SetBounds({rect_.left, v, rect_.width, rect_.height}); }
void Control::SetWidth(int v) { SetBounds({rect_.left, rect_.top, v, rect_.height}); }
void Control::SetHeight(int v) { SetBounds({rect_.left, rect_.top, rect_.width, v}); }

void Control::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Notify(Property::Enabled);
}

void Control::SetVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    Notify(Property::Visible);
}

void Control::SetBackColor(std::optional<Color> c) {
    if (c == back_color_) return;
    back_color_ = c;
    Notify(Property::BackColor);
}

void Control::SetForeColor(std::optional<Color> c) {
    if (c == fore_color_) return;
    fore_color_ = c;
    Notify(Property::ForeColor);
}

void Control::SetFocus() {
    Notify(Property::Focus);
    owner_.BackendFocus(this);
}

bool Control::HasFocus() const { return owner_.ActiveControl() == this; }

void CheckBox::SetValue(int v) {
    if (v == value_) return;
    value_ = v;
    Notify(Property::Value);
}

void OptionButton::SetValueAlone(bool on) {
    if (on == value_) return;
    value_ = on;
    Notify(Property::Value);
}

void OptionButton::SetValue(bool on) {
    if (on) {
        for (OptionButton* other : Owner().OptionGroup(*this)) {
            if (other != this) other->SetValueAlone(false);
        }
    }
    SetValueAlone(on);
}

TextBox::TextBox(Form& owner, const ControlDesign& design) : Control(owner, design), text_(design.caption) {}

void TextBox::SetText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    Notify(Property::Text);
}

ComboBox::ComboBox(Form& owner, const ControlDesign& design) : Control(owner, design), text_(design.caption) {}

void ComboBox::SetText(std::string text) {
    list_index_ = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == text) {
            list_index_ = static_cast<int>(i);
            break;
        }
    }
    if (text == text_) return;
    text_ = std::move(text);
    Notify(Property::Text);
}

void ComboBox::AddItem(std::string item) {
    items_.push_back(std::move(item));
    Notify(Property::Items);
}

void ComboBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) return;
    items_.erase(items_.begin() + index);
    if (list_index_ == index) list_index_ = -1;
    else if (list_index_ > index) --list_index_;
    Notify(Property::Items);
}

void ComboBox::Clear() {
    items_.clear();
    list_index_ = -1;
    Notify(Property::Items);
}

void ComboBox::SetListIndex(int index) {
    if (index < 0 || index >= ListCount()) {
        list_index_ = -1;
        return;
    }
    list_index_ = index;
    if (text_ != items_[static_cast<size_t>(index)]) {
        text_ = items_[static_cast<size_t>(index)];
        Notify(Property::Text);
    }
}

void ImageControl::SetPicture(std::shared_ptr<const Picture> picture) {
    picture_ = std::move(picture);
    Notify(Property::Picture);
}

void ImageControl::SetStretch(bool on) {
    stretch_ = on;
    Notify(Property::Picture);
}

void Timer::SetInterval(int ms) {
    interval_ms_ = ms;
    Notify(Property::Timer);
}

}  // namespace kestrova
