#pragma once
// The Windows program's main in one call: COM and the common controls, the
// backend, the program's own start (which builds, attaches and shows its
// windows), then the message loop.
#include <functional>

#include "platform/model/services.h"

namespace kestrova {

int RunWin32Program(const std::function<void(Services&)>& start);

}  // namespace kestrova
