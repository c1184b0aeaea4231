#include "list_interaction.h"

#include "help_text.h"
#include "listing/refresh.h"
#include "main_window.h"
#include "core/selected_rows.h"
#include "viewer/slideshow.h"

namespace kestrova {
void ListView1_MouseDown(Program& p, int button, int shift, int x, int y) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    ListView& list = f.ListView1;
    if (button == kRightButton) {
        list.SetSelectedItem(list.HitTest(x, y));
        // A command chosen here runs to its end before the press goes on.
        f.PopupMenu(f.Kestmenu);
    }
    if (button == kLeftButton && (shift & (kShiftMask | kCtrlMask | kAltMask)) == 0) {
        ClearSelection(p);
        // The list's own handling of the press selects the row under the
        // pointer; a view may have done that before this handler ran, so it
        // is done again after the clearing.
        if (const std::int32_t row = list.HitTest(x, y); row > 0) {
            list.SetSelected(row, true);
            list.SetSelectedItem(row);
        }
    }
    CountSelected(p);
    if (s.SelectedCount > 1) s.AllSelectedToggle = 1;
    if (button == kMiddleButton) {
        if (s.AllSelectedToggle == 0) {
            s.AllSelectedToggle = 1;
            SelectAll(p);
        } else {
            s.AllSelectedToggle = 0;
            ClearSelection(p);
        }
    }
    s.Interrupted = 1;
}

void ListView1_KeyDown(Program& p, int /*key*/, int shift) {
    SharedState& s = p.state;
    if (shift == 0) {
        if (IsOn(s.QuitAfterAutoRun) && s.Interrupted == 0) p.services.EndProgram();
        // The pointer may have been hidden by a full-screen slideshow; the
        // help box must be usable with the mouse.
        ShowMouseCursor(p);
        Pem_Help_Click(p);
    } else if (shift == kAltMask) {
        Image2_Click(p);
    }
}

}  // namespace kestrova
