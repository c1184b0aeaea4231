#include "user_input.h"

namespace kestrova {
namespace {

bool Accepts(const Control& control) { return control.Enabled() && control.Visible(); }


// Controls the user can tab to take the focus when clicked, before the click.
bool TakesFocus(const Control& control) {
    switch (control.Kind()) {
        case ControlKind::CommandButton:
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
        case ControlKind::ListView: return true;
        default: return false;
    }
}

// What the list control itself does with a press before its MouseDown:
// the right button makes the row under the pointer current and, without
// Shift or Ctrl, picks it alone unless it is part of the selection already;
// the middle button changes nothing, so its handler counts the selection as
// the user left it. Left presses are the view's own (range and toggle).
void ListPress(ListView& list, int button, int shift, int x, int y) {
    if (button != kRightButton) return;
    const std::int32_t row = list.HitTest(x, y);
    if (row <= 0) return;
    if ((shift & (kShiftMask | kCtrlMask)) == 0 && !list.Selected(row)) {
        list.SetAllSelected(false);
        list.SetSelected(row, true);
    }
    list.SetSelectedItem(row);
}

}  // namespace

void UserClick(Control& control) {
    if (!Accepts(control)) return;
    if (TakesFocus(control)) control.Owner().BackendFocus(&control);
    if (auto* check = dynamic_cast<CheckBox*>(&control)) {
        check->SetValue(check->Value() == 1 ? 0 : 1);
    } else if (auto* option = dynamic_cast<OptionButton*>(&control)) {
        if (option->Value()) return;
        option->SetValue(true);
    }
    Raise(control.Click);
}

void UserDblClick(Control& control) {
    if (Accepts(control)) Raise(control.DblClick);
}

void UserMouseDown(Control& control, int button, int shift, int x, int y) {
    if (!Accepts(control)) return;
    if (auto* list = dynamic_cast<ListView*>(&control)) ListPress(*list, button, shift, x, y);
    Raise(control.MouseDown, button, shift, x, y);
}

void UserKeyDown(Control& control, int key, int shift) {
    Form& form = control.Owner();
    if (form.Design().key_preview) Raise(form.KeyDown, key, shift);
    if (Accepts(control)) Raise(control.KeyDown, key, shift);
}

void UserFormKeyDown(Form& form, int key, int shift) { Raise(form.KeyDown, key, shift); }
void UserFormClick(Form& form) { Raise(form.Click); }
void UserFormDblClick(Form& form) { Raise(form.DblClick); }
void UserFormMouseDown(Form& form, int button, int shift, int x, int y) { Raise(form.MouseDown, button, shift, x, y); }

void UserEditText(Control& control, const std::string& text) {
    if (!Accepts(control)) return;
    if (auto* box = dynamic_cast<TextBox*>(&control)) {
        box->SetText(text);
    } else if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
        combo->SetText(text);
    } else {
        return;
    }
    Raise(control.Change);
}

void UserPickComboItem(ComboBox& combo, int index) {
    if (!Accepts(combo) || index < 0 || index >= combo.ListCount()) return;
    combo.SetListIndex(index);
    Raise(combo.Click);
}

void UserFocus(Control& control) {
    if (Accepts(control)) control.Owner().BackendFocus(&control);
}

void UserClose(Form& form) { Raise(form.QueryUnload); }

void UserEndSession(Form& form) { Raise(form.SessionEnd); }

void UserColumnClick(ListView& list, int column_index1) {
    if (Accepts(list)) Raise(list.ColumnClick, column_index1);
}

void UserTimerTick(Timer& timer, bool& ticking) {
    if (!timer.Enabled() || timer.Interval() <= 0 || ticking) return;
    ticking = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{ticking};
    Raise(timer.Tick);
}

}  // namespace kestrova
