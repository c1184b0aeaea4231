#include "main_window.h"

#include "core/icons.h"
#include "settings/settings_transfer.h"

namespace kestrova {
namespace {

// The list sits right of the control column, with a right margin and room
// below it for the two status lines.
constexpr int kListLeft = 1680;
constexpr int kListRightMargin = kListLeft + 60;
constexpr int kStatusRoom = 660;

}  // namespace

void Form_Resize(Program& p) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    if (!IsOn(s.LoadCompleted)) return;
    f.ListView1.SetTop(0);
    f.ListView1.SetLeft(kListLeft);
    const int w = f.ScaleWidth();
    const int h = f.ScaleHeight();
    if (w == 0 || h == 0) return;
    // A window made smaller than the control column cannot give the list a
    // negative size; those steps are skipped.
    if (w - kListRightMargin >= 0) f.ListView1.SetWidth(w - kListRightMargin);
    if (h - kStatusRoom >= 0) f.ListView1.SetHeight(h - kStatusRoom);
    ApplyFolderColumn(p);
    f.Label3.SetTop(h - 600);
    f.Label2.SetTop(h - 340);
    if (f.State() != kNormal || !IsOn(s.LoadCompleted)) return;
    s.MainWidth = f.Width();
    s.MainHeight = f.Height();
    s.MainScaleWidth = w;
    s.MainScaleHeight = h;
}

std::int32_t SetFormTop(Form& form, std::int16_t mode) {
    if (mode != 0 && mode != 1) return 0;
    return form.SetTopmost(mode == 1) ? 1 : 0;
}

void Timer1_Timer(Program& p) {
    p.services.DoEvents();
    ++p.state.TickCount;
}

void Image1_Click(Program& p) {
    if (IsOn(p.state.RefreshRunning) && p.state.AbortRequested == 0) {
        p.state.AbortRequested = 1;
        p.Form1.Command3.SetBackColor(kInterruptRequestedColor);
    }
    p.state.EndRequested = 1;
}

void Image2_Click(Program& p) {
    SharedState& s = p.state;
    const bool shown = IsOn(s.ShowFolderColumn);
    // Keep a width the user dragged, so the column comes back at it.
    if (shown && p.Form1.ListView1.ColumnCount() >= 2) s.CurrentFolderColumnWidth = p.Form1.ListView1.ColumnWidth(2);
    const std::int16_t now_shown = shown ? 0 : 1;
    p.Form2.Check[19]->SetValue(now_shown);
    s.ShowFolderColumn = now_shown;
    ApplyFolderColumn(p);
    ScreenOptionsToSettings(p);
}

void Image3_Click(Program& p) { p.services.EndProgram(); }

void LoadWindowPictures(Program& p) {
    MainForm& f = p.Form1;
    f.Image1.SetPicture(StopIcon());
    f.Image2.SetPicture(FolderColumnIcon());
    f.Image3.SetPicture(PowerOffIcon());
    f.Image4.SetPicture(LoadedFileIcon());
    f.Image5.SetPicture(SameSizeFileIcon());
    f.Image7.SetPicture(BitmapIcon());
    p.Form2.Image1.SetPicture(ResetIcon());
    p.Form2.Image2.SetPicture(HelpIcon());
    p.Form3.Image1.SetPicture(StopIcon());
}

}  // namespace kestrova
