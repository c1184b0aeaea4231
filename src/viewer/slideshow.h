#pragma once
// The slideshow "Pem View": the selected rows of the main list shown one
// after another in the full-screen window Form4 or the windowed Form5.
#include <string>

#include "core/program.h"

namespace kestrova {

// Caption colours of the viewers' Label1: dark blue while repeating.
inline constexpr Color kViewerCaptionColor = Rgb(0, 192, 0);
inline constexpr Color kViewerLoopCaptionColor = Rgb(0, 0, 192);

// The whole slideshow over the selected rows; returns when it ends (or ends
// the program when an automatic run says so).
void ViewSelectedItems(Program& p);
// Shows CurrentFilePath in the window FullScreenView picks, then waits
// ViewSeconds. Anything but a picture returns at once.
void ShowPicture(Program& p);
// What a viewer action calls to show the current picture again, in the
// window FullScreenView now picks.
void RedisplayPicture(Program& p);
void HideMouseCursor(Program& p);
void ShowMouseCursor(Program& p);

// "3/10 /pics/a.jpg": the position in the pass and the current path.
std::string PositionText(const SharedState& s);
// Both viewers' Label1 coloured by LoopMode.
void ColorViewerCaptions(Program& p);
// True when a finished automatic run ends the program.
bool QuitAfterAutoRunDue(const SharedState& s);
// Stores Form5's place into the remembered view-window values, and back.
void RememberViewWindowPlace(Program& p);
void MoveViewWindowToRememberedPlace(Program& p);

}  // namespace kestrova
