#pragma once
// A settings or list file that is there but could not be read: too big for
// the memory, a read error, no permission, or no file at all under its name
// (a folder, a pipe, a device, a loop of links). The user learns of it
// once, and the end of the run leaves the file as it is.
#include <string>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kUnreadableFileText = " を読み込めませんでした。終了時もこのファイルは書き換えません。";

// One message: the system's reason, then the file's path and what becomes of it.
void ReportUnreadableFile(Program& p, const std::string& path, const std::string& reason);

// What the start finds under the name of the settings or list file.
enum class FileAtStart { Missing, Readable, Unusable };
// An unusable one is reported, and `unread` (SettingsFileUnread or
// ListFileUnread) keeps it from being written over.
FileAtStart CheckFileAtStart(Program& p, const std::string& path, Flag16& unread);

}  // namespace kestrova
