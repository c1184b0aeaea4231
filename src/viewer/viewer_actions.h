#pragma once
// What the user does in the two viewer windows: end, pause, switch window,
// repeat and enlarge, by mouse and keys.
#include "core/program.h"

namespace kestrova {

void Form4_MouseDown(Program& p, int button, int shift);
void Form4_DblClick(Program& p);
void Form4_KeyDown(Program& p, int key, int shift);
void Form5_MouseDown(Program& p, int button, int shift);
void Form5_DblClick(Program& p);
void Form5_KeyDown(Program& p, int key, int shift);
// The close box of the window, as its right button.
void Form5_QueryUnload(Program& p);
// Keeps Label1 of a viewer on its bottom line.
void ViewerForm_Resize(Form& form, Label& caption);

}  // namespace kestrova
