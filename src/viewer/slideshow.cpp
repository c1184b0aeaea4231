#include "slideshow.h"

#include <memory>

#include "fit_picture.h"
#include "picture_kind.h"
#include "picture_supply.h"
#include "window_place.h"
#include "platform/system/files.h"
#include "core/selected_rows.h"
#include "core/timed_wait.h"

namespace kestrova {
namespace {

// One pass over the rows; false when the slideshow is to end.
bool RunPass(Program& p) {
    SharedState& s = p.state;
    ListView& list = p.Form1.ListView1;
    ColorViewerCaptions(p);
    s.StopFlag = 0;
    s.ViewWindowPlaced = 0;
    CountSelected(p);
    s.SequencePosition = 0;
    const std::int32_t rows = list.Count();
    if (rows == 0) return false;
    for (std::int32_t i = 1; i <= rows; ++i) {
        p.services.DoEvents();
        if (IsOn(s.EndRequested)) return false;
        // Rows removed meanwhile are simply not there any more.
        if (i > list.Count()) break;
        if (!list.Selected(i)) continue;
        ++s.SequencePosition;
        s.CurrentFilePath = RowFilePath(list, i);
        PictureSupplyOf(p).SetRow(i, rows);
        if (ReportMissingFile(p)) continue;
        p.services.DoEvents();
        if (IsOn(s.EndRequested)) return false;
        p.Form1.Label3.SetCaption(PositionText(s));
        p.services.DoEvents();
        ShowPicture(p);
    }
    return IsOn(s.LoopMode);
}

void ClearAndHide(Form& form) {
    form.Cls();
    form.Hide();
}

// Draws the picture; false when there is nothing to show or wait for.
bool DisplayPicture(Program& p) {
    SharedState& s = p.state;
    if (PictureKindOf(s.CurrentFilePath) == PictureKind::None) return false;
    const bool full_screen = IsOn(s.FullScreenView);
    Form& target = full_screen ? static_cast<Form&>(p.Form4) : static_cast<Form&>(p.Form5);
    Form& partner = full_screen ? static_cast<Form&>(p.Form5) : static_cast<Form&>(p.Form4);
    PictureBox& holder = full_screen ? p.Form4.Picture1 : p.Form5.Picture1;
    Label& caption = full_screen ? p.Form4.Label1 : p.Form5.Label1;

    holder.SetPicture(nullptr);
    // PNG and the other kinds go through the same readers here; a picture
    // that cannot be read is passed over without a wait. The picture comes
    // no larger than it is drawn; the holder takes its whole size.
    const auto loaded = PictureSupplyOf(p).Get(p, s.CurrentFilePath, DecodeBox(p));
    // Waiting for the decode let the user end the show.
    if (!loaded || IsOn(s.EndRequested)) return false;
    const std::shared_ptr<const Picture> picture(loaded, &loaded->picture);
    holder.SetPicture(picture);
    // The holder measures a picture's pixels as logical ones, 15 twips each,
    // so a small picture keeps its size on a screen scaled to 150 %; only a
    // picture larger than the screen in those units meets its device pixels.
    holder.SetWidth(loaded->natural.width * kTwipsPerPixel);
    holder.SetHeight(loaded->natural.height * kTwipsPerPixel);

    target.Cls();
    target.Show();
    if (full_screen) {
        HideMouseCursor(p);
    } else {
        ShowMouseCursor(p);
        if (s.ViewWindowPlaced == 0) {
            MoveViewWindowToRememberedPlace(p);
            s.ViewWindowPlaced = 1;
        }
        RememberViewWindowPlace(p);
    }

    // The drawing area is the client area: the outer size of a framed
    // window would push the picture under its frame and off centre.
    FitValues fit;
    fit.AreaWidth = fit.DrawnWidth = target.ScaleWidth();
    fit.AreaHeight = fit.DrawnHeight = target.ScaleHeight();
    fit.PictureWidth = holder.Width();
    fit.PictureHeight = holder.Height();
    FitPicture(fit, s.ZoomMode);
    partner.Hide();
    target.PaintPicture(picture, {fit.OffsetX, fit.OffsetY, fit.DrawnWidth, fit.DrawnHeight});

    caption.SetCaption(s.StopFlag == 1 ? "[Stop] " + s.CurrentFilePath : PositionText(s));
    return true;
}

}  // namespace

std::string PositionText(const SharedState& s) {
    return std::to_string(s.SequencePosition) + "/" + std::to_string(s.SelectedCount) + " " + s.CurrentFilePath;
}

void ColorViewerCaptions(Program& p) {
    const Color colour = IsOn(p.state.LoopMode) ? kViewerLoopCaptionColor : kViewerCaptionColor;
    p.Form4.Label1.SetForeColor(colour);
    p.Form5.Label1.SetForeColor(colour);
}

bool QuitAfterAutoRunDue(const SharedState& s) {
    return IsOn(s.QuitAfterAutoRun) && s.LoopMode == 0 && s.Interrupted == 0 && IsOn(s.AutoRunActive);
}

void RememberViewWindowPlace(Program& p) {
    SharedState& s = p.state;
    const Form& f = p.Form5;
    s.ViewWindowTop = f.Top();
    s.ViewWindowLeft = f.Left();
    s.ViewWindowHeight = f.Height();
    s.ViewWindowWidth = f.Width();
}

void MoveViewWindowToRememberedPlace(Program& p) {
    const Rect place = RememberedViewWindowPlace(p);
    p.Form5.Move(place.left, place.top, place.width, place.height);
}

void ViewSelectedItems(Program& p) {
    SharedState& s = p.state;
    s.EndRequested = 0;
    while (RunPass(p)) {
        // A repeated pass that had nothing to show would otherwise spin;
        // one waiting turn keeps it cheap and changes nothing else.
        p.services.WaitTurn();
    }
    if (QuitAfterAutoRunDue(s)) {
        ShowMouseCursor(p);
        p.services.EndProgram();
    }
    if (s.FullScreenView == 0) RememberViewWindowPlace(p);
    ShowMouseCursor(p);
    ClearAndHide(p.Form4);
    ClearAndHide(p.Form5);
    // The pictures go with the show.
    p.Form4.Picture1.SetPicture(nullptr);
    p.Form5.Picture1.SetPicture(nullptr);
    PictureSupplyOf(p).Clear();
}

void ShowPicture(Program& p) {
    SharedState& s = p.state;
    const Flag16 outer = s.PictureShowing;
    s.PictureShowing = 1;
    do {
        s.RedisplayRequested = 0;
        if (!DisplayPicture(p)) break;
        p.services.DoEvents();
        s.WaitSeconds = s.ViewSeconds;
        // Once a second the next picture is looked at again: rows deleted
        // or renamed, a file written anew, a switch of window.
        std::int32_t ticks_seen = 0;
        TimedWait(p, [&] {
            if (s.TickCount == ticks_seen) return;
            ticks_seen = s.TickCount;
            PictureSupplyOf(p).PrepareNext(p);
        });
    } while (IsOn(s.RedisplayRequested) && !IsOn(s.EndRequested));
    s.RedisplayRequested = 0;
    s.PictureShowing = outer;
}

// An action while a picture is shown does not nest a display of its own:
// the wait ends and the display runs again, with its full wait, in the
// window FullScreenView now picks. A display nested inside the one-second
// tick that counts the wait would never see its own wait counted.
void RedisplayPicture(Program& p) {
    if (IsOn(p.state.PictureShowing)) {
        p.state.RedisplayRequested = 1;
    } else {
        ShowPicture(p);
    }
}

void HideMouseCursor(Program& p) {
    while (p.services.ShowCursor(false) >= 0) p.services.DoEvents();
}

void ShowMouseCursor(Program& p) {
    while (p.services.ShowCursor(true) <= 0) p.services.DoEvents();
}

}  // namespace kestrova
