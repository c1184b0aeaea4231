#pragma once
// What the backend's views need to know about the event loop.

namespace kestrova {

struct LoopState {
    // Non-zero while program code is running and lets events through
    // (DoEvents, WaitTurn): a handler is still at work, so work that can wait
    // for the loop to be idle waits.
    int pumping = 0;
};

}  // namespace kestrova
