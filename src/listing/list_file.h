#pragma once
// The list kept between runs in "Kestrova.csv" beside the program, so a start
// that shows the previous list needs no scan.
#include <optional>

#include "core/program.h"
#include "settings/failed_save.h"

namespace kestrova {

inline constexpr const char* kSaveInterruptedListQuestion = "中断リストを保存しますか？";
inline constexpr const char* kLoadInterruptedRow = "***** 中断 *****";
inline constexpr const char* kListFileChangedQuestion =
    " は読み込みの間にほかで書き換えられました。読み込んだ一覧をこのファイルに上書きしますか？";

// At the end of a run: writes the rows in display order unless every start
// refreshes, a refresh or the load runs, or the user declines to keep an
// interrupted list or to write loaded rows over a file that changed while
// it was loaded; then empties the list. ListOnDisk then describes what was
// written. The file is replaced atomically, so a failed save leaves the
// previous list whole; the failure is returned for the caller to report.
std::optional<FailedSave> SaveListFile(Program& p);
// At start-up: fills the list from the file and shows the status line of the
// last refresh. A missing file leaves the list empty; a damaged one gives the
// rows that could be read; a folder or a pipe in its place is reported.
void LoadListFile(Program& p);

}  // namespace kestrova
