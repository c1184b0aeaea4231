#pragma once
// What a user's action does to control state before its event is raised.
// Both backends go through these, so a click in a test and a click on the
// screen leave the same state behind.
#include <string>

#include "form.h"
#include "listview.h"

namespace kestrova {

// A click: a check box toggles, an option button becomes selected (raising
// Click only when it was not), a disabled or hidden control ignores it.
void UserClick(Control& control);
void UserDblClick(Control& control);
// On a list, the right and middle buttons first do what the list control
// does with them (see ListPress); the view has done the left button's part.
void UserMouseDown(Control& control, int button, int shift, int x, int y);
// Key events go to the form first when it previews keys, then to the control.
void UserKeyDown(Control& control, int key, int shift);
void UserFormKeyDown(Form& form, int key, int shift);
void UserFormClick(Form& form);
// A double click on the window itself; its press came as a mouse down first.
void UserFormDblClick(Form& form);
void UserFormMouseDown(Form& form, int button, int shift, int x, int y);
// The user typed a new text into a text box or combo box: Change follows.
void UserEditText(Control& control, const std::string& text);
// The user picked item index of a combo box's list: text follows, then Click.
void UserPickComboItem(ComboBox& combo, int index);
// Moves the focus: the previous control's LostFocus, then GotFocus.
void UserFocus(Control& control);
// The window's close box.
void UserClose(Form& form);
// The session ends: what every window hears (logout, shutdown, a termination signal).
void UserEndSession(Form& form);
// A click on a column header (1-based).
void UserColumnClick(ListView& list, int column_index1);
// A timer's tick. One whose handler is still running (waiting in DoEvents)
// does not start a second one on top of itself; ticking is the timer's flag.
void UserTimerTick(Timer& timer, bool& ticking);

}  // namespace kestrova
