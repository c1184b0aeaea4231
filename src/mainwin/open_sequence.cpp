#include "open_sequence.h"

#include <algorithm>
#include <string>

#include "list_interaction.h"
#include "main_window.h"
#include "open_items.h"
#include "core/timed_wait.h"

namespace kestrova {
namespace {

// The dialog keeps this far from the right and bottom screen edges (twips).
constexpr int kDialogScreenMargin = 1000;

enum StopCode : std::int16_t { kNoCommand = 0, kForwardPressed = 1, kBackPressed = 2 };

bool IsOpenChoice(std::int16_t choice) { return choice == kAutoRunOpen || choice == kAutoRunOpenTimed; }

bool RowSelected(const ListView& list, std::int32_t row) { return row >= 1 && row <= list.Count() && list.Selected(row); }

void LabelButtons(NextItemForm& dialog, bool timed) {
    dialog.Command1.SetCaption(timed ? "停止" : "次へ");
    dialog.Command2.SetCaption(timed ? "続行" : "戻る");
}

// The main window steps aside; the dialog waits at the lower right, above
// whatever the opened files bring up.
void ShowDialog(Program& p) {
    NextItemForm& dialog = p.Form6;
    p.Form1.Hide();
    SetFormTop(dialog, 1);
    dialog.SetCaption(kNextItemCaption);
    dialog.Label1.SetCaption("");
    const ScreenSize screen = p.services.Screen();
    dialog.Move(screen.width - dialog.Width() - kDialogScreenMargin, screen.height - dialog.Height() - kDialogScreenMargin,
                dialog.Width(), dialog.Height());
    dialog.Show();
}

void ShowPosition(Program& p) {
    const SharedState& s = p.state;
    const std::string position = std::to_string(s.SequencePosition) + "/" + std::to_string(s.SelectedCount);
    p.Form6.Label1.SetCaption(position);
    p.Form6.SetCaption(std::string(kNextItemCaption) + " " + position);
}

// Waits for a dialog button, or for the sequence to be ended.
void ButtonWait(Program& p) {
    const SharedState& s = p.state;
    for (;;) {
        p.services.WaitTurn();
        if (IsOn(s.EndRequested) || s.StopFlag != kNoCommand) return;
    }
}

// Back from the row just opened: to the selected row before it, one position
// lower; the first selected row opens again at its own position. Unselected
// rows between are passed over, so the position shown never drops to 0.
void StepBack(const ListView& list, std::int32_t& row, std::int32_t& position) {
    std::int32_t previous = row - 1;
    while (previous >= 1 && !RowSelected(list, previous)) --previous;
    if (previous >= 1) {
        row = previous - 1;
        position = std::max(0, position - 2);
    } else {
        row -= 1;
        position = std::max(0, position - 1);
    }
}

struct PassResult {
    bool end_requested = false;
    bool met_selected_row = false;
};

// Opens row `row` and waits as the mode says; may move `row` back.
// True when the sequence is to finish.
bool OpenRow(Program& p, std::int32_t& row, bool timed) {
    SharedState& s = p.state;
    const ListView& list = p.Form1.ListView1;
    ++s.SequencePosition;
    s.CurrentFilePath = RowFilePath(list, row);
    if (ReportMissingFile(p)) return false;
    p.services.DoEvents();
    ShellOpenCurrentFile(p);
    p.services.DoEvents();
    if (s.SelectedCount > 1) ShowPosition(p);
    if (s.SelectedCount == 1 && s.SequencePosition == 1) s.EndRequested = 1;
    bool wait = !timed;
    // "停止" pressed while the row was being opened holds the timed run
    // until a button is pressed again.
    if (s.AutoRunChoice == kAutoRunOpenTimed && s.StopFlag == kForwardPressed) {
        s.StopFlag = kNoCommand;
        wait = true;
    }
    if (wait) {
        ButtonWait(p);
        if (!IsOn(s.EndRequested) && s.StopFlag == kBackPressed) StepBack(list, row, s.SequencePosition);
    }
    p.services.DoEvents();
    return IsOn(s.EndRequested);
}

PassResult WalkRows(Program& p, bool timed) {
    SharedState& s = p.state;
    const ListView& list = p.Form1.ListView1;
    PassResult result;
    const std::int32_t rows = list.Count();
    for (std::int32_t row = 1; row <= rows; ++row) {
        p.services.DoEvents();
        // A back press while unselected rows are passed over has no row of
        // its own to step back from; it is dropped with the turn's end.
        if (RowSelected(list, row)) {
            result.met_selected_row = true;
            if (OpenRow(p, row, timed)) {
                result.end_requested = true;
                return result;
            }
        }
        p.services.DoEvents();
        if (timed) {
            p.services.DoEvents();
            s.WaitSeconds = s.ViewSeconds;
            TimedWait(p);
        }
        s.StopFlag = kNoCommand;
    }
    return result;
}

void Finish(Program& p, bool dialog_shown) {
    SharedState& s = p.state;
    if (IsOpenChoice(s.AutoRunChoice) && IsOn(s.QuitAfterAutoRun) && s.LoopMode == 0 && s.Interrupted == 0 &&
        IsOn(s.AutoRunActive)) {
        p.services.EndProgram();
    }
    s.OpenSequenceActive = 0;
    if (dialog_shown) {
        p.Form6.Hide();
        p.Form1.Show();
        s.LoadCompleted = 1;
        Form_Resize(p);
    }
    s.AutoRunActive = 0;
}

}  // namespace

void Kest_Open_Click(Program& p) {
    SharedState& s = p.state;
    bool dialog_shown = false;
    for (;;) {
        s.OpenSequenceActive = 1;
        s.EndRequested = 0;
        s.StopFlag = kNoCommand;
        CountSelected(p);
        s.SequencePosition = 0;
        const bool timed = s.AutoRunChoice == kAutoRunOpenTimed && IsOn(s.AutoRunActive);
        LabelButtons(p.Form6, timed);
        if (s.SelectedCount > 1) {
            ShowDialog(p);
            dialog_shown = true;
        }
        if (p.Form1.ListView1.Count() == 0) break;
        const PassResult pass = WalkRows(p, timed);
        if (pass.end_requested) break;
        // A repeat over no selected row would start empty passes for ever.
        if (!IsOpenChoice(s.AutoRunChoice) || !IsOn(s.LoopMode) || !pass.met_selected_row) break;
    }
    Finish(p, dialog_shown);
}

namespace form6 {

void Command1_Click(Program& p) { p.state.StopFlag = kForwardPressed; }
void Command2_Click(Program& p) { p.state.StopFlag = kBackPressed; }
void Command3_Click(Program& p) { p.state.EndRequested = 1; }

}  // namespace form6

}  // namespace kestrova
