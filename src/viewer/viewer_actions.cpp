#include "viewer_actions.h"

#include "slideshow.h"

namespace kestrova {
namespace {

constexpr int kCaptionAboveBottom = 340;

enum class Viewer { FullScreen, Window };

// How a pause toggle was asked for: a button press leaves a StopFlag other
// than 0 or 1 alone (the open sequence uses 2), a double click pauses then.
enum class PauseBy { Press, DoubleClick };

void SetViewerCaptions(Program& p, const std::string& caption) {
    p.Form4.Label1.SetCaption(caption);
    p.Form5.Label1.SetCaption(caption);
}

void TogglePause(Program& p, Viewer viewer, PauseBy by) {
    SharedState& s = p.state;
    if (s.StopFlag == 1) {
        s.StopFlag = 0;
        SetViewerCaptions(p, viewer == Viewer::FullScreen ? PositionText(s) : s.CurrentFilePath);
    } else if (s.StopFlag == 0 || by == PauseBy::DoubleClick) {
        s.StopFlag = 1;
        SetViewerCaptions(p, "[Stop] " + s.CurrentFilePath);
    }
}

// Saved: the setting and the settings screen's "繰り返し" follow.
void ToggleRepeat(Program& p, bool saved) {
    SharedState& s = p.state;
    const bool on = s.LoopMode == 0;
    s.LoopMode = on ? 1 : 0;
    if (saved) {
        s.LoopSetting = s.LoopMode;
        p.Form2.Check[24]->SetValue(s.LoopMode);
    }
    ColorViewerCaptions(p);
    SetViewerCaptions(p, (on ? "[LoopOn] " : "[LoopOff] ") + s.CurrentFilePath);
}

void ToggleEnlarge(Program& p) {
    SharedState& s = p.state;
    const bool on = s.ZoomMode == 0;
    s.ZoomMode = s.ZoomSetting = on ? 1 : 0;
    p.Form2.Check[23]->SetValue(s.ZoomMode);
    SetViewerCaptions(p, (on ? "[MaxOn] " : "[MaxOff] ") + s.CurrentFilePath);
}

void SetFullScreenView(Program& p, std::int16_t on) {
    p.state.FullScreenView = on;
    p.Form2.Check[25]->SetValue(on);
}

// Moving the picture to the other window redisplays it at once, except
// with the shortest display times, where the next picture comes soon.
void RedisplayAfterSwitch(Program& p) {
    if (p.state.ViewSeconds > 1) RedisplayPicture(p);
}

}  // namespace

void Form4_MouseDown(Program& p, int button, int) {
    SharedState& s = p.state;
    if (button == kRightButton) {
        s.AutoRunActive = 0;
        s.EndRequested = 1;
        p.Form4.Hide();
    } else if (button == kMiddleButton) {
        ToggleRepeat(p, true);
    } else if (button == kLeftButton) {
        if (s.OpenSequenceActive == 0) {
            TogglePause(p, Viewer::FullScreen, PauseBy::Press);
        } else if (s.OpenSequenceActive == 1 && IsOn(s.ZoomSetting)) {
            p.Form4.Hide();
            p.Form1.Show();
        }
    }
}

void Form4_DblClick(Program& p) {
    SharedState& s = p.state;
    if (s.OpenSequenceActive == 0) TogglePause(p, Viewer::FullScreen, PauseBy::DoubleClick);
    if (s.OpenSequenceActive == 1) return;
    SetFullScreenView(p, 0);
    MoveViewWindowToRememberedPlace(p);
    RedisplayAfterSwitch(p);
}

void Form4_KeyDown(Program& p, int, int shift) {
    SharedState& s = p.state;
    if (shift == 0) {
        if (IsOn(s.AutoRunActive)) p.services.EndProgram();
        s.EndRequested = 1;
        p.Form4.Hide();
    } else if (shift == kShiftMask) {
        ToggleEnlarge(p);
        RedisplayPicture(p);
    } else if (shift == kAltMask) {
        ToggleRepeat(p, true);
    }
}

void Form5_MouseDown(Program& p, int button, int shift) {
    SharedState& s = p.state;
    if (button == kRightButton) {
        Form5_QueryUnload(p);
    } else if (button == kLeftButton) {
        TogglePause(p, Viewer::Window, PauseBy::Press);
    } else if (button == kMiddleButton && shift == 0) {
        ToggleRepeat(p, false);
    }
    if (s.OpenSequenceActive == 1) p.Form4.Hide();
}

void Form5_DblClick(Program& p) {
    SharedState& s = p.state;
    TogglePause(p, Viewer::Window, PauseBy::DoubleClick);
    if (s.OpenSequenceActive == 1) return;
    SetFullScreenView(p, 1);
    RememberViewWindowPlace(p);
    RedisplayAfterSwitch(p);
}

void Form5_KeyDown(Program& p, int, int shift) {
    SharedState& s = p.state;
    if (shift == 0) {
        if (IsOn(s.AutoRunActive)) p.services.EndProgram();
        s.EndRequested = 1;
        SetFullScreenView(p, 0);
        RememberViewWindowPlace(p);
        p.Form5.Hide();
    } else if (shift == kShiftMask) {
        ToggleEnlarge(p);
    } else if (shift == kAltMask) {
        ToggleRepeat(p, true);
    }
}

// Ends the slideshow and the automatic run; the program stays open.
void Form5_QueryUnload(Program& p) {
    SharedState& s = p.state;
    s.EndRequested = 1;
    s.AutoRunActive = 0;
    SetFullScreenView(p, 0);
    RememberViewWindowPlace(p);
    p.Form5.Hide();
}

void ViewerForm_Resize(Form& form, Label& caption) { caption.SetTop(form.ScaleHeight() - kCaptionAboveBottom); }

}  // namespace kestrova
