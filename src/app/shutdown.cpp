#include "shutdown.h"

#include <cerrno>
#include <new>
#include <optional>
#include <vector>

#include "app/startup.h"
#include "listing/list_file.h"
#include "mainwin/main_window.h"
#include "platform/system/files.h"
#include "settings/failed_save.h"
#include "settings/settings_transfer.h"

namespace kestrova {
namespace {

// A failure of one save, also one the save could not even finish trying
// (the memory its text needs).
template <typename Save>
std::optional<FailedSave> Attempt(const std::string& path, Save&& save) {
    try {
        return save();
    } catch (const std::bad_alloc&) {
        return FailedSave{path, ErrorText(ENOMEM)};
    } catch (const std::exception& e) {
        return FailedSave{path, e.what()};
    }
}

// The last word on each file: a later attempt replaces an earlier one.
void Note(std::vector<FailedSave>& failed, const std::string& path, std::optional<FailedSave> outcome) {
    std::erase_if(failed, [&](const FailedSave& f) { return f.path == path; });
    if (outcome) failed.push_back(std::move(*outcome));
}

}  // namespace

void SaveAndEnd(Program& p) {
    SharedState& s = p.state;
    std::vector<FailedSave> failed;
    auto save_settings = [&] {
        Note(failed, s.SettingsFilePath, Attempt(s.SettingsFilePath, [&] { return SaveProgramSettings(p); }));
    };
    save_settings();
    const ListSummary before = s.ListOnDisk;
    Note(failed, s.ListFilePath, Attempt(s.ListFilePath, [&] { return SaveListFile(p); }));
    if (s.ListOnDisk != before) save_settings();
    ReportFailedSaves(p, failed);
    p.services.EndProgram();
}

void CloseMainWindow(Program& p) {
    SharedState& s = p.state;
    if (IsOn(s.Closing)) return;
    const ClosingNow closing(s);
    s.CloseAfterRefresh = 0;
    IgnoringErrors([&] { ScreenTextsToSettings(p); });
    IgnoringErrors([&] { ScreenOptionsToSettings(p); });
    SaveAndEnd(p);
}

void InterruptForClose(Program& p) {
    p.state.CloseAfterRefresh = 1;
    Image1_Click(p);
}

void Form1_SessionEnd(Program& p) { CloseMainWindow(p); }

}  // namespace kestrova
