#include "failed_save.h"

#include "settings_file.h"

namespace kestrova {

void ReportFailedSaves(Program& p, const std::vector<FailedSave>& failed) {
    if (failed.empty()) return;
    std::string text;
    for (const FailedSave& save : failed) {
        if (!text.empty()) text += "\n";
        text += save.reason + "\n" + save.path + kSaveFailedText;
    }
    p.services.MsgBox(text, kOkOnly, kExclamation);
}

std::optional<FailedSave> SaveProgramSettings(Program& p) {
    const SharedState& s = p.state;
    if (IsOn(s.SettingsFileUnread)) return std::nullopt;
    std::string error;
    if (SaveSettingsFile(s, s.ListOnDisk, error)) return std::nullopt;
    return FailedSave{s.SettingsFilePath, error};
}

}  // namespace kestrova
