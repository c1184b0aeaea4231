#pragma once
// The program object: the shared state and the six windows of one run, built
// on a backend's Services. Tests build it headless in a temporary folder.
#include <functional>
#include <memory>
#include <string>

#include "core/shared_state.h"
#include "core/windows/form3_window.h"
#include "core/windows/form1_window.h"
#include "core/windows/form6_window.h"
#include "platform/model/services.h"
#include "core/windows/form2_window.h"
#include "core/windows/viewer_windows.h"

namespace kestrova {

// Routines that a lower layer hands control to but that live in a higher one
// (the actions an automatic run starts, the list file). Unset ones do nothing.
struct Handoffs {
    std::function<void()> Kest_Open;
    std::function<void()> MPC_Open;
    std::function<void()> Pem_Open;
    std::function<void()> LoadListFile;
    // The main window's close, run when a refresh it interrupted has stopped.
    std::function<void()> CloseMainWindow;
};

// What a higher layer keeps between its routines for the whole run, in a
// shape only that layer knows.
class LayerCache {
public:
    virtual ~LayerCache() = default;
};

class Program {
public:
    Program(Services& services, std::string executable_folder);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Services& services;
    const std::string executable_folder;
    SharedState state;
    MainForm Form1;
    SettingsForm Form2;
    ProgressForm Form3;
    FullScreenViewerForm Form4;
    WindowViewerForm Form5;
    NextItemForm Form6;
    Handoffs handoffs;
    // The viewer's decoded pictures: the one shown and the next one.
    std::unique_ptr<LayerCache> viewer_cache;
};

// Runs a hand-off when a later layer has provided it.
inline void RunHandoff(const std::function<void()>& routine) {
    if (routine) routine();
}

}  // namespace kestrova
