#pragma once
// The program's message boxes as Qt's: buttons, icon and default answers as
// the handlers expect them.
#include <optional>
#include <string>

#include "platform/model/services.h"

namespace kestrova {

// The answer of the button pressed; nullopt when the box was closed some other way.
std::optional<MsgBoxResult> ShowQtMessageBox(const std::string& text, int buttons, int icon, const std::string& title);

}  // namespace kestrova
