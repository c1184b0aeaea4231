#pragma once
// How the program's windows look on Linux: the Japanese font the window
// tables were laid out for, a compact style, and an icon theme for the file
// types' icons even without a desktop session.

namespace kestrova {

// Sets the application's font, style and icon theme; needs a QApplication.
void SetUpLook();

}  // namespace kestrova
