#pragma once
// Qt's keys, buttons and modifiers in the numbering the handlers expect
// (virtual-key codes, button 1/2/4, shift mask 1/2/4).
#include <Qt>

namespace kestrova {

// 0 for keys that have no virtual-key code.
int VirtualKey(int qt_key, Qt::KeyboardModifiers modifiers);
int ShiftMask(Qt::KeyboardModifiers modifiers);
// The one button whose press or release caused the event; 0 when none of ours.
int MouseButtonCode(Qt::MouseButton button);

}  // namespace kestrova
