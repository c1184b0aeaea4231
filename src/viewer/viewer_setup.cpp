#include "viewer_setup.h"

namespace kestrova {

// Wide enough for any path the caption shows.
constexpr int kViewerCaptionWidth = 12000;

void PrepareViewerWindows(Program& p) {
    p.Form4.Picture1.SetVisible(false);
    p.Form4.SetWindowState(kMaximized);
    p.Form4.Label1.SetWidth(kViewerCaptionWidth);
    p.Form5.SetWindowState(kNormal);
    p.Form5.Picture1.SetVisible(false);
    p.Form5.Label1.SetWidth(kViewerCaptionWidth);
}

}  // namespace kestrova
