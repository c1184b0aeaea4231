#include "wiring.h"

#include "listing/list_file.h"
#include "listing/progress_window.h"
#include "listing/refresh.h"
#include "listing/sorting.h"
#include "mainwin/help_text.h"
#include "mainwin/list_interaction.h"
#include "mainwin/main_window.h"
#include "mainwin/open_items.h"
#include "mainwin/open_sequence.h"
#include "mainwin/rename_delete.h"
#include "mainwin/media_player.h"
#include "settings/pattern_selector.h"
#include "settings/settings_screen.h"
#include "settings/settings_transfer.h"
#include "shutdown.h"
#include "startup.h"
#include "viewer/slideshow.h"
#include "viewer/viewer_actions.h"

namespace kestrova {
namespace {

void WireMainWindow(Program& p) {
    MainForm& f = p.Form1;
    f.QueryUnload = [&p] { Form1_QueryUnload(p); };
    f.SessionEnd = [&p] { Form1_SessionEnd(p); };
    p.handoffs.CloseMainWindow = [&p] { CloseMainWindow(p); };
    f.Resize = [&p] { Form_Resize(p); };
    f.Command1.Click = [&p] { Command1_Click(p); };
    f.Command2.Click = [&p] { Command2_Click(p); };
    f.Command3.Click = [&p] { Command3_Click(p); };
    f.ListView1.ColumnClick = [&p](int column) { ListView1_ColumnClick(p, column); };
    f.Image1.Click = [&p] { Image1_Click(p); };
    f.Image2.Click = [&p] { Image2_Click(p); };
    f.Image3.Click = [&p] { Image3_Click(p); };
    f.Timer1.Tick = [&p] { Timer1_Timer(p); };
    f.Combo1.LostFocus = [&p] { Combo1_LostFocus(p); };
    f.Combo1.KeyDown = [&p](int key, int shift) { Combo1_KeyDown(p, key, shift); };
    f.Dir1.Change = [&p] { Dir1_Change(p); };
    f.Pem_Help.Click = [&p] { Pem_Help_Click(p); };
}

void WireSettingsScreen(Program& p) {
    SettingsForm& screen = p.Form2;
    // The close box only hides the screen; it keeps its controls for the run.
    screen.QueryUnload = [&p] { CloseSettingsScreen(p, false); };
    screen.Command2.Click = [&p] { CloseSettingsScreen(p, true); };
    for (int row = 1; row <= kDisplaySlots; ++row) {
        auto remember_row = [&p, row] { p.Form2.CurrentRow = row; };
        screen.Text[row]->GotFocus = remember_row;
        screen.Text[16 + row]->GotFocus = remember_row;
    }
    screen.Command1.Click = [&p] { form2::Command1_Click(p); };
    screen.Check[19]->LostFocus = [&p] { form2::Check19_LostFocus(p); };
    screen.Image1.Click = [&p] { form2::Image1_Click(p); };
    screen.Image2.Click = [&p] { form2::Image2_Click(p); };
    for (int option : {10, 11, 12}) screen.Option[option]->Click = [&p] { form2::StartModeOption_Click(p); };
}

void WireProgressWindow(Program& p) {
    ProgressForm& progress = p.Form3;
    for (ClickHandler* click : {&progress.Click, &progress.Label3.Click, &progress.Image1.Click}) {
        *click = [&p] { form3::Form_Click(p); };
    }
    progress.KeyDown = [&p](int key, int shift) { form3::Form_KeyDown(p, key, shift); };
}

// The list's mouse, keys and menu, the next-item dialog, and the open
// sequence the automatic runs hand over to.
void WireListActions(Program& p) {
    MainForm& f = p.Form1;
    ListView& list = f.ListView1;
    list.MouseDown = [&p](int button, int shift, int x, int y) { ListView1_MouseDown(p, button, shift, x, y); };
    list.KeyDown = [&p](int key, int shift) { ListView1_KeyDown(p, key, shift); };
    list.DblClick = [&p] { ListView1_DblClick(p); };
    list.AfterLabelEdit = [&p](int& cancel, const std::optional<std::string>& new_text) {
        ListView1_AfterLabelEdit(p, cancel, new_text);
    };
    f.Kest_Open.Click = [&p] { Kest_Open_Click(p); };
    f.Kestren.Click = [&p] { Kestren_Click(p); };
    f.KestDel.Click = [&p] { KestDel_Click(p); };
    f.MPC_Open.Click = [&p] { RunHandoff(p.handoffs.MPC_Open); };
    f.Pem_Open.Click = [&p] { RunHandoff(p.handoffs.Pem_Open); };
    NextItemForm& dialog = p.Form6;
    dialog.Command1.Click = [&p] { form6::Command1_Click(p); };
    dialog.Command2.Click = [&p] { form6::Command2_Click(p); };
    dialog.Command3.Click = [&p] { form6::Command3_Click(p); };
    // Closed by its frame, the dialog ends the sequence: otherwise the walk
    // would wait for ever with the main window hidden.
    dialog.QueryUnload = [&p] { form6::Command3_Click(p); };
    p.handoffs.Kest_Open = [&p] { Kest_Open_Click(p); };
}

void WireListFile(Program& p) {
    p.handoffs.LoadListFile = [&p] { LoadListFile(p); };
}

void WireViewer(Program& p) {
    FullScreenViewerForm& full = p.Form4;
    full.MouseDown = [&p](int button, int shift, int, int) { Form4_MouseDown(p, button, shift); };
    full.DblClick = [&p] { Form4_DblClick(p); };
    full.KeyDown = [&p](int key, int shift) { Form4_KeyDown(p, key, shift); };
    full.Resize = [&p] { ViewerForm_Resize(p.Form4, p.Form4.Label1); };
    WindowViewerForm& window = p.Form5;
    window.MouseDown = [&p](int button, int shift, int, int) { Form5_MouseDown(p, button, shift); };
    window.DblClick = [&p] { Form5_DblClick(p); };
    window.KeyDown = [&p](int key, int shift) { Form5_KeyDown(p, key, shift); };
    window.QueryUnload = [&p] { Form5_QueryUnload(p); };
    window.Resize = [&p] { ViewerForm_Resize(p.Form5, p.Form5.Label1); };
    p.handoffs.Pem_Open = [&p] { ViewSelectedItems(p); };
    p.handoffs.MPC_Open = [&p] { MPC_Open_Click(p); };
}

}  // namespace

void WireHandlers(Program& p) {
    WireMainWindow(p);
    WireSettingsScreen(p);
    WireProgressWindow(p);
    WireListActions(p);
    WireListFile(p);
    WireViewer(p);
}

}  // namespace kestrova
