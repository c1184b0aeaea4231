#pragma once
// A headless program in a temporary program folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "app/wiring.h"
#include "settings/settings_file.h"
#include "platform/codepage.h"
#include "platform/headless/headless_services.h"
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
        const std::string text = DecodeFileText(dir.Read("Kestrova.ini"));
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start));
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    TempDir dir;
    HeadlessServices services;
    std::unique_ptr<Program> program;
};

}  // namespace kestrova::testing
