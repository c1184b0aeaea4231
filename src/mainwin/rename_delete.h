#pragma once
// Renaming the current row's file in place in the list, and deleting it.
#include <optional>
#include <string>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kRenameFailed = "名前の変更はできませんでした。";
inline constexpr const char* kDeleteFailed = "削除はできませんでした。";
inline constexpr const char* kDeleteQuestion = "　を削除しますか";

// Opens the in-place edit of the current row's name.
void Kestren_Click(Program& p);
// The end of that edit: renames the file, or reports why not and reopens
// the edit. new_text is nullopt when the user cancelled.
void ListView1_AfterLabelEdit(Program& p, int& cancel, const std::optional<std::string>& new_text);
// Deletes the current row's file after asking, removes the row and rebuilds
// the status line from the lowered counters.
void KestDel_Click(Program& p);

}  // namespace kestrova
