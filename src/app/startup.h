#pragma once
// Start-up (the main window's load) and the two ways to end: the main
// window's close box and the exit button "終了".
#include "core/program.h"

namespace kestrova {

void Form1_Load(Program& p);
void Form1_QueryUnload(Program& p);
void Command2_Click(Program& p);

// Runs one step of a sequence whose failing steps are skipped.
template <typename Step>
void IgnoringErrors(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
        // The sequence goes on with its next step.
    }
}

}  // namespace kestrova
