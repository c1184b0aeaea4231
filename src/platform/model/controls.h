#pragma once
// Control state objects. Program code reads and writes their state; a backend
// mirrors every change to the screen (through the owning form's observer) and
// reports user edits back before it raises the matching event. Setting a value
// from program code never raises an event: handlers that must follow a change
// are called explicitly by the routine that makes it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry.h"
#include "platform/pictures/picture.h"

namespace kestrova {

class Form;

enum class ControlKind {
    Label,
    CommandButton,
    CheckBox,
    OptionButton,
    TextBox,
    ComboBox,
    Frame,
    Line,
    Image,
    PictureBox,
    Timer,
    Menu,
    ListView,
    ImageList,
    DriveList,
    DirList,
    FileList,
};

// What changed on a control, so a backend updates only that.
enum class Property {
    Caption,
    Text,
    Value,
    Enabled,
    Visible,
    BackColor,
    ForeColor,
    Geometry,
    ToolTip,
    Items,
    Focus,
    Picture,
    Timer,
    ListColumns,
    ListRows,
    ListRowChanged,
    ListSelection,
    ListCurrent,
    ListSort,
    ListIcons,
    ListEdit,
};

// One row of a window's control table: the design-time values of a control.
struct ControlDesign {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string caption;  // caption or initial text
    std::string tooltip;
    Rect rect;            // twips, relative to the container
    std::string container;  // frame (or parent menu) name; empty = the window
    bool visible = true;
};

using ClickHandler = std::function<void()>;
using MouseHandler = std::function<void(int button, int shift, int x, int y)>;
using KeyHandler = std::function<void(int key, int shift)>;

template <typename Handler, typename... Args>
void Raise(const Handler& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
}

class Control {
public:
    Control(Form& owner, const ControlDesign& design);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    const std::string& Container() const { return container_; }
    Form& Owner() const { return owner_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const std::string& ToolTip() const { return tooltip_; }
    void SetToolTip(std::string tip);

    int Left() const { return rect_.left; }
    int Top() const { return rect_.top; }
    int Width() const { return rect_.width; }
    int Height() const { return rect_.height; }
    const Rect& Bounds() const { return rect_; }
    void SetLeft(int v);
    void SetTop(int v);
    void SetWidth(int v);
    void SetHeight(int v);
    void SetBounds(const Rect& r);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);

    // No colour means the system's default for the kind (button face, window).
    std::optional<Color> BackColor() const { return back_color_; }
    void SetBackColor(std::optional<Color> c);
    std::optional<Color> ForeColor() const { return fore_color_; }
    void SetForeColor(std::optional<Color> c);

    void SetFocus();
    bool HasFocus() const;

    ClickHandler Click;
    ClickHandler DblClick;
    ClickHandler GotFocus;
    ClickHandler LostFocus;
    ClickHandler Change;
    MouseHandler MouseDown;
    MouseHandler MouseUp;
    KeyHandler KeyDown;

protected:
    void Notify(Property what);

private:
    Form& owner_;
    std::string name_;
    ControlKind kind_;
    std::string container_;
    std::string caption_;
    std::string tooltip_;
    Rect rect_;
    bool enabled_ = true;
    bool visible_ = true;
    std::optional<Color> back_color_;
    std::optional<Color> fore_color_;
};

class Label : public Control {
public:
    using Control::Control;
};

class Frame : public Control {
public:
    using Control::Control;
};

class CommandButton : public Control {
public:
    using Control::Control;
};

class CheckBox : public Control {
public:
    using Control::Control;
    // 0 unchecked, 1 checked (2 greyed is never used here).
    int Value() const { return value_; }
    void SetValue(int v);

private:
    int value_ = 0;
};

// Option buttons form a group with every option button of the same container.
class OptionButton : public Control {
public:
    using Control::Control;
    bool Value() const { return value_; }
    // Selecting one clears the others of its group.
    void SetValue(bool on);

private:
    friend class Form;
    void SetValueAlone(bool on);
    bool value_ = false;
};

class TextBox : public Control {
public:
    TextBox(Form& owner, const ControlDesign& design);
    const std::string& Text() const { return text_; }
    void SetText(std::string text);

private:
    std::string text_;
};

class ComboBox : public Control {
public:
    ComboBox(Form& owner, const ControlDesign& design);
    const std::string& Text() const { return text_; }
    void SetText(std::string text);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const { return items_.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Items() const { return items_; }
    void AddItem(std::string item);
    void RemoveItem(int index);
    void Clear();
    // -1 when the text is not one of the items.
    int ListIndex() const { return list_index_; }
    void SetListIndex(int index);

private:
    std::string text_;
    std::vector<std::string> items_;
    int list_index_ = -1;
};

class Line : public Control {
public:
    using Control::Control;
    int X1() const { return Left(); }
    int Y1() const { return Top(); }
    int X2() const { return Left() + Width(); }
    int Y2() const { return Top() + Height(); }
};

// Image controls and picture boxes hold a picture; the backend scales it
// into the control's rectangle when Stretch is on.
class ImageControl : public Control {
public:
    using Control::Control;
    const std::shared_ptr<const Picture>& GetPicture() const { return picture_; }
    void SetPicture(std::shared_ptr<const Picture> picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);

private:
    std::shared_ptr<const Picture> picture_;
    bool stretch_ = false;
};

class PictureBox : public ImageControl {
public:
    using ImageControl::ImageControl;
};

class Timer : public Control {
public:
    using Control::Control;
    int Interval() const { return interval_ms_; }
    void SetInterval(int ms);
    bool TimerEnabled() const { return Enabled(); }
    ClickHandler Tick;

private:
    int interval_ms_ = 1000;
};

// A menu item; its container is the parent menu, and a top-level menu's items
// are the menus whose container names it. A caption of "-" is a separator.
class Menu : public Control {
public:
    using Control::Control;
};

}  // namespace kestrova
