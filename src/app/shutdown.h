#pragma once
// How the program ends with its settings and its list saved: the main
// window's close (its close box, whatever the cause, and the end of the
// user's session) and the exit button after its question.
#include "core/program.h"

namespace kestrova {

// The close: the settings screen's controls become the settings, then
// SaveAndEnd. A close already under way takes no second request.
void CloseMainWindow(Program& p);
// A close asked for while a refresh runs: the refresh is interrupted as by
// the interrupt image, and the close runs once it has stopped.
void InterruptForClose(Program& p);
// The user's session ends (logout, shutdown, a termination signal). The
// system may end the process as soon as this returns, so the close runs at
// once: a refresh under way stops where it is, and its partial list is not
// written, as when the question whether to keep it is declined.
void Form1_SessionEnd(Program& p);

// Closing is 1 while it lives. The process ends inside it; only a backend
// whose end returns (the headless one) sees it go.
class ClosingNow {
public:
    explicit ClosingNow(SharedState& state) : state_(state) { state_.Closing = 1; }
    ~ClosingNow() { state_.Closing = 0; }
    ClosingNow(const ClosingNow&) = delete;
    ClosingNow& operator=(const ClosingNow&) = delete;

private:
    SharedState& state_;
};

// Saves the settings and the list file, tells the user of any that could
// not be written, and ends the process. The settings go first, describing
// the list file as it is on disk, so neither a question of the list's save
// nor a kill meanwhile can cost them; when the list was written they are
// written again to describe it.
void SaveAndEnd(Program& p);

}  // namespace kestrova
