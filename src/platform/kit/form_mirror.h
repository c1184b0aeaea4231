#pragma once
// One window on screen for one Form, as every window backend keeps it in
// step with the form both ways. The mirror decides what to show when:
// program changes arrive as FormChanged/ControlChanged and go to the hooks
// property by property; what the user does goes through the user_input
// functions, with the click rules kept here. A backend's window derives from
// FormMirror<its binding> and only makes and shows its widgets.
#include <set>
#include <string>
#include <unordered_map>

#include "platform/kit/list_mirror.h"
#include "platform/kit/loop_state.h"
#include "platform/model/form.h"
#include "platform/model/user_input.h"

namespace kestrova {

// A frameless window that is maximised covers its whole screen.
bool CoversScreen(const Form& form);

// What the window system shows of a window, in its pixels.
struct ShownWindow {
    int left = 0;  // of the outer frame
    int top = 0;
    int outer_width = 0;
    int outer_height = 0;
    int inner_width = 0;
    int inner_height = 0;
    // False when nothing drew a frame (no window manager): the form then
    // keeps the frame it assumed, so outer and inner sizes stay apart.
    bool framed = true;
    WindowState state = kNormal;
};

// The part of the mirror that does not depend on the backend's bindings:
// the window itself, the click rules and the reporting of geometry.
class FormMirrorBase {
public:
    explicit FormMirrorBase(Form& form) : form_(form) {}
    virtual ~FormMirrorBase() = default;
    FormMirrorBase(const FormMirrorBase&) = delete;
    FormMirrorBase& operator=(const FormMirrorBase&) = delete;

    Form& GetForm() const { return form_; }

    void FormChanged(FormProperty what);
    virtual void ControlChanged(Control& control, Property what) = 0;
    // Shows a pop-up menu at the mouse and clicks the item chosen.
    virtual void Popup(Menu& menu) = 0;
    // Lets list views catch up with rows the program appended. Unless
    // forced, a batch younger than the batching interval waits.
    virtual void FlushLists(bool force) = 0;
    // Stops mirroring and reporting; the widgets stay until destruction.
    virtual void Detach() = 0;

protected:
    // Controls whose Click comes from a press and release over them; buttons
    // and boxes report their own clicks, which also covers the keyboard.
    static bool ClicksOnRelease(ControlKind kind);
    // A press on a control: its MouseDown for any button of ours. True when a
    // left press may become a click, so its release is worth watching.
    bool ControlPressed(Control& control, int button, int shift, int x, int y);
    // A release: the click of a left press and release over the same control.
    void ControlReleased(Control& control, int button, bool inside);
    void FormPressed(int button, int shift, int x, int y);
    void FormReleased(int button, bool inside);

    // Shows or hides the window as the form says; the first show centres it
    // when its design asks for that.
    void ShowVisibility();
    // Sizes go back to the form in twips, each kept as the program set it
    // while it still rounds to the pixels shown (see KeepTwips).
    void ReportShown(const ShownWindow& shown);

    // ---- the window itself, as the backend shows it ----
    virtual int Dpi() const { return kDefaultDpi; }
    // The density of the screen's device pixels, in which pictures are
    // decoded and drawn: more than Dpi() where the toolkit scales its pixels.
    virtual int DeviceDpi() const { return Dpi(); }
    // Tells the form that density; again whenever the window may have
    // moved to another screen.
    void ReportScreenDpi() { form_.SetScreenDpi(DeviceDpi()); }
    virtual void ShowFormCaption() = 0;
    virtual void ShowFormGeometry() = 0;
    virtual void ShowWindowState() = 0;
    virtual void ShowForm() = 0;
    virtual void HideForm() = 0;
    virtual void CenterOnScreen() = 0;
    virtual void ShowFormColor() = 0;
    virtual void ShowTopmost() = 0;
    virtual void BringToFront() = 0;
    virtual void ShowDrawing() = 0;
    // Tells the form where its window is now (through ReportShown).
    virtual void ReportGeometry() = 0;

    Form& form_;
    // Non-zero while a program change is being mirrored to the screen.
    int applying_ = 0;
    // While the program moves the focus: not the user's doing.
    bool applying_focus_ = false;
    bool detached_ = false;

private:
    bool shown_once_ = false;
    const Control* pressed_ = nullptr;
    bool form_pressed_ = false;
};

// What the mirror keeps of each control; a backend adds its widget to it.
struct ControlBinding {
    Control* control = nullptr;
    ListMirror* list = nullptr;  // a list view's mirror
    bool ticking = false;        // a timer whose handler is running
};

template <typename Binding>
class FormMirror : public FormMirrorBase {
public:
    using FormMirrorBase::FormMirrorBase;

    void ControlChanged(Control& control, Property what) final {
        if (detached_) return;
        auto it = bindings_.find(&control);
        if (it != bindings_.end()) Apply(it->second, what);
    }

    void Popup(Menu& menu) final {
        if (detached_) return;
        auto it = bindings_.find(&menu);
        if (it == bindings_.end()) return;
        Menu* chosen = ShowPopup(it->second);
        if (chosen && !detached_) UserClick(*chosen);
    }

    void FlushLists(bool force) final {
        if (detached_) return;
        for (auto& [control, binding] : bindings_) {
            if (!binding.list) continue;
            if (force) binding.list->Flush();
            else binding.list->FlushIfDue();
        }
    }

    void Detach() final {
        if (detached_) return;
        detached_ = true;
        for (auto& [control, binding] : bindings_) {
            if (binding.list) binding.list->Detach();
            if (control->Kind() == ControlKind::Timer) StopTimer(binding);
        }
    }

protected:
    // One binding per control of the table, before anything is made.
    void BindControls() {
        for (const auto& control : form_.Controls()) bindings_[control.get()].control = control.get();
    }

    void ApplyAll(Binding& binding) {
        for (Property what : {Property::Caption, Property::Text, Property::Value, Property::Enabled, Property::Visible,
                              Property::BackColor, Property::Geometry, Property::ToolTip, Property::Items,
                              Property::Picture, Property::Timer}) {
            Apply(binding, what);
        }
    }

    void Apply(Binding& binding, Property what) {
        Counting guard(applying_);
        const ControlKind kind = binding.control->Kind();
        switch (what) {
            case Property::Caption: ShowCaption(binding); break;
            case Property::Text: ShowText(binding); break;
            case Property::Value: ShowValue(binding); break;
            case Property::Enabled:
                ShowEnabled(binding);
                if (kind == ControlKind::Timer) ShowTimer(binding);
                break;
            case Property::Visible: ShowVisible(binding); break;
            case Property::BackColor:
            case Property::ForeColor: ShowColors(binding); break;
            case Property::Geometry: ShowGeometry(binding); break;
            case Property::ToolTip: ShowToolTip(binding); break;
            case Property::Items:
                if (kind == ControlKind::ImageList) ImagesChanged(*binding.control);
                else ShowItems(binding);
                break;
            case Property::Focus:
                applying_focus_ = true;
                ShowFocus(binding);
                applying_focus_ = false;
                break;
            case Property::Picture: ShowPicture(binding); break;
            case Property::Timer:
                if (kind == ControlKind::Timer) ShowTimer(binding);
                break;
            case Property::ListSort:
                if (binding.list) binding.list->SortChanged();
                break;
            default:
                // The list's rows, columns and selection reach its view through its observer.
                break;
        }
    }

    // The toolkit has already flipped the box, or leaves it to us: either
    // way the state decides what it shows after the click (a handler may set
    // it back, or the group may refuse).
    void UserToggled(Binding& binding) {
        if (detached_) return;
        UserClick(*binding.control);
        if (binding.control->Kind() == ControlKind::OptionButton) {
            for (OptionButton* member : form_.OptionGroup(static_cast<OptionButton&>(*binding.control))) {
                Apply(bindings_[member], Property::Value);
            }
        } else {
            Apply(binding, Property::Value);
        }
    }

    void TimerFired(Binding& binding) {
        if (!detached_) UserTimerTick(static_cast<Timer&>(*binding.control), binding.ticking);
    }

    // A menu with items becomes a pop-up menu; each item is an entry of its
    // parent's menu, or the parent's submenu when it has items of its own.
    void BuildMenuTree() {
        auto parent_of = [this](const Control& item) -> Control* {
            if (item.Kind() != ControlKind::Menu || item.Container().empty()) return nullptr;
            Control* parent = form_.Find(item.Container());
            return parent && parent != &item && parent->Kind() == ControlKind::Menu ? parent : nullptr;
        };
        std::set<std::string> with_items;
        for (const auto& control : form_.Controls()) {
            if (Control* parent = parent_of(*control)) with_items.insert(parent->Name());
        }
        for (const auto& control : form_.Controls()) {
            if (control->Kind() == ControlKind::Menu && with_items.count(control->Name())) MakeMenu(bindings_[control.get()]);
        }
        for (const auto& control : form_.Controls()) {
            Control* parent = parent_of(*control);
            if (!parent) continue;
            Binding& into = bindings_[parent];
            Binding& item = bindings_[control.get()];
            if (with_items.count(control->Name())) AddSubmenu(into, item);
            else if (control->Caption() == "-") AddSeparator(into, item);
            else AddMenuItem(into, item);
        }
    }

    // ---- the controls, as the backend shows them ----
    virtual void ShowCaption(Binding& binding) = 0;
    virtual void ShowText(Binding& binding) = 0;
    virtual void ShowValue(Binding& binding) = 0;
    virtual void ShowEnabled(Binding& binding) = 0;
    virtual void ShowVisible(Binding& binding) = 0;
    virtual void ShowColors(Binding& binding) = 0;
    virtual void ShowGeometry(Binding& binding) = 0;
    virtual void ShowToolTip(Binding& binding) = 0;
    // A combo box's list; an image list's change goes to the list views.
    virtual void ShowItems(Binding& binding) = 0;
    virtual void ShowFocus(Binding& binding) = 0;
    virtual void ShowPicture(Binding& binding) = 0;
    // Starts a timer anew at its interval while it is enabled, stops it otherwise.
    virtual void ShowTimer(Binding& binding) = 0;
    virtual void StopTimer(Binding& binding) = 0;
    virtual void MakeMenu(Binding& menu) = 0;
    virtual void AddSubmenu(Binding& menu, Binding& submenu) = 0;
    virtual void AddSeparator(Binding& menu, Binding& separator) = 0;
    virtual void AddMenuItem(Binding& menu, Binding& item) = 0;
    // The item chosen, or nullptr when the menu closed without a choice.
    virtual Menu* ShowPopup(Binding& menu) = 0;

    std::unordered_map<const Control*, Binding> bindings_;

private:
    void ImagesChanged(const Control& image_list) {
        for (auto& [control, binding] : bindings_) {
            if (binding.list && binding.list->List().SmallIcons() == &image_list) binding.list->ImagesChanged();
        }
    }
};

}  // namespace kestrova
