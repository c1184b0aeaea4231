#pragma once
// Saves the user is told of: a settings or list file that could not be
// written (disk full, no permission, a folder or a pipe in its place). The
// file on disk stays as it was, whole; the message says which file and why.
#include <optional>
#include <string>
#include <vector>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kSaveFailedText = " を保存できませんでした。";

struct FailedSave {
    std::string path;
    std::string reason;  // the system's text
};

// One message for all of them: for each, the system's reason, then the
// file's path and kSaveFailedText.
void ReportFailedSaves(Program& p, const std::vector<FailedSave>& failed);

// Writes the settings file as the program keeps it: line 35 describes the
// list file as it is on disk (ListOnDisk), whatever list is shown. A file
// that could not be read at the start is left as it is, and not reported
// again.
std::optional<FailedSave> SaveProgramSettings(Program& p);

}  // namespace kestrova
