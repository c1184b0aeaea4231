#pragma once
// A headless program in a temporary program folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/program.h"
#include "app/startup.h"
#include "app/wiring.h"
#include "settings/settings_file.h"
#include "platform/text/codepage.h"
#include "platform/headless/headless_services.h"
#include "support/split.h"
#include "support/temp_dir.h"

namespace kestrova::testing {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() : program(std::make_unique<Program>(services, dir.path())) {}

    Program& p() { return *program; }

    // Writes the default settings in start mode 0 (so start-up scans nothing),
    // changed by adjust, then starts the program and shows its main window.
    void StartProgram(const std::function<void(SharedState&)>& adjust = {}) {
        SharedState saved;
        ApplyDefaultSettings(saved);
        saved.StartMode = kStartOnly;
        if (adjust) adjust(saved);
        SetProgramPaths(saved, dir.path());
        SaveSettingsFile(saved);
        WireHandlers(*program);
        Form1_Load(*program);
        program->Form1.Show();
    }
    SharedState& state() { return program->state; }

    // The settings file's lines, decoded, without their CR LF.
    std::vector<std::string> SettingsLines() const {
        std::vector<std::string> lines = Split(DecodeFileText(dir.Read("Kestrova.ini")), "\r\n");
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
        return lines;
    }

    TempDir dir;
    HeadlessServices services;
    std::unique_ptr<Program> program;
};

// A program in a folder of its own whose settings file holds the defaults
// changed by adjust, for tables where every case needs its own. Files may be
// changed before Start, the main window's load with every handler wired.
struct ProgramWithSettings {
    explicit ProgramWithSettings(const std::function<void(SharedState&)>& adjust = {}) {
        SharedState saved;
        ApplyDefaultSettings(saved);
        if (adjust) adjust(saved);
        SetProgramPaths(saved, dir.path());
        SaveSettingsFile(saved);
    }
    void Start() {
        WireHandlers(program);
        Form1_Load(program);
    }

    TempDir dir;
    HeadlessServices services;
    Program program{services, dir.path()};
};

}  // namespace kestrova::testing
