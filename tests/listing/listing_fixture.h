#pragma once
// A started headless program whose folder rows point into a temporary tree.
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "app/startup.h"
#include "app/wiring.h"
#include "listing/refresh.h"
#include "platform/model/user_input.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"
#include "support/program_fixture.h"

namespace kestrova::testing {

class ListingTest : public ProgramTest {
protected:
    void SetUp() override {
        StartProgram();
        // Start-up gave the defaults; the tests choose their own rows.
        for (int i = 1; i <= kDisplaySlots; ++i) state().DisplayEntries[i] = {};
        state().SortKey = kSortByName;
        state().SortOrder = 0;
        state().StartMode = kStartOnly;
        state().ShowIcons = 0;
        SettingsToScreen(p());
    }

    void SetRow(int row, const std::string& folder, bool subfolders = false, const std::string& title = "t") {
        state().DisplayEntries[row] = {title, folder, 1, "", static_cast<Flag16>(subfolders ? 1 : 0)};
        SettingsToScreen(p());
    }
    // The refresh button pushes the settings onto the screens first, so
    // options are set in the settings.
    void SetPattern(const std::string& pattern) { state().SelectedPattern = pattern; }
    void SizeCheck(bool on) { state().SizeCheck = on ? 1 : 0; }
    void HiddenFiles(bool on) { state().ShowHiddenFiles = on ? 1 : 0; }

    void Refresh() { Command3_Click(p()); }

    ListView& list() { return p().Form1.ListView1; }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (std::int32_t i = 1; i <= list().Count(); ++i) names.push_back(list().RowText(i));
        return names;
    }
    std::vector<std::string> Column(int k) {
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= list().Count(); ++i) out.push_back(list().SubItem(i, k));
        return out;
    }
    // A size text: right-aligned in twenty characters.
    static std::string Padded(const std::string& text) { return std::string(20 - text.size(), ' ') + text; }
    const std::string& Status() { return p().Form1.Label3.Caption(); }

    void WriteSized(const std::string& name, std::size_t bytes) { dir.Write(name, std::string(bytes, 'x')); }
};

}  // namespace kestrova::testing
