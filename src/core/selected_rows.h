#pragma once
// The selected rows of the main list as the sequences walk them: how many
// there are and the file each row names.
#include <cstdint>
#include <string>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kFileNotFoundMessage = "ﾌｧｲﾙが見つかりません。開く(実行)できませんでした。";

// Counts the selected rows of the main list into SelectedCount.
void CountSelected(Program& p);

// The row's folder, a separator when the folder lacks one, and its name.
std::string RowFilePath(const ListView& list, std::int32_t row);

// Shows the not-found message when CurrentFilePath is not an existing
// normal file (hidden files count as missing); true when it did.
bool ReportMissingFile(Program& p);

}  // namespace kestrova
