#pragma once
// The Qt program's main in one call: the application, the backend, the
// program's own start (which builds, attaches and shows its windows), then
// the event loop.
#include <functional>

#include "platform/model/services.h"

namespace kestrova {

int RunQtProgram(int argc, char** argv, const std::function<void(Services&)>& start);

}  // namespace kestrova
