#include "timed_wait.h"

namespace kestrova {

void TimedWait(Program& p) { TimedWait(p, {}); }

void TimedWait(Program& p, const std::function<void()>& each_turn) {
    SharedState& s = p.state;
    s.TickCount = 0;
    p.Form1.Timer1.SetEnabled(true);
    for (;;) {
        p.services.WaitTurn();
        if (each_turn) each_turn();
        if (IsOn(s.EndRequested)) break;
        if (IsOn(s.RedisplayRequested)) break;
        if (s.StopFlag == 1) continue;
        if (s.TickCount >= s.WaitSeconds) break;
    }
    p.Form1.Timer1.SetEnabled(false);
}

}  // namespace kestrova
