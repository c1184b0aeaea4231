#pragma once
// Opening list rows with the desktop's default application.
#include <cstdint>
#include <string>

#include "app/program.h"

namespace kestrova {

inline constexpr const char* kFileNotFoundMessage = "ﾌｧｲﾙが見つかりません。開く(実行)できませんでした。";

// The full path a row names: its folder, a separator when the folder has
// none at its end, and its name.
std::string RowPath(const ListView& list, std::int32_t row);
// Shows the not-found message when CurrentFilePath is not an existing
// normal file (hidden files count as missing); true when it did.
bool ReportMissingFile(Program& p);
// Hands CurrentFilePath to the desktop's opener without waiting for it; a
// failing opener is not reported.
void ShellOpenCurrentFile(Program& p);
// Opens the list's current row; nothing when there is none.
void ListView1_DblClick(Program& p);

}  // namespace kestrova
