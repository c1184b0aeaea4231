#pragma once
// The end of the user's session reaches the program as an event-loop turn:
// SIGTERM, SIGHUP and SIGINT through their pipe (posix/session_signals.h),
// and the desktop session manager's request to save the program's data.
#include <functional>

class QGuiApplication;

namespace kestrova {

// Runs `end` in the event loop whenever one of them comes.
void WatchSessionEnd(QGuiApplication& app, std::function<void()> end);

}  // namespace kestrova
