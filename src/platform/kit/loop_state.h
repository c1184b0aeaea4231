#pragma once
// What a window backend's views need to know about the event loop, and the
// counter guard its windows use for updates under way.

namespace kestrova {

struct LoopState {
    // Non-zero while program code lets events through (DoEvents, WaitTurn,
    // a message box or a pop-up menu): a handler is still at work, so work
    // that can wait for the loop to be idle waits.
    int pumping = 0;
};

// Scope guard for a counter: how many of something are under way.
class Counting {
public:
    explicit Counting(int& count) : count_(count) { ++count_; }
    ~Counting() { --count_; }
    Counting(const Counting&) = delete;
    Counting& operator=(const Counting&) = delete;

private:
    int& count_;
};

}  // namespace kestrova
