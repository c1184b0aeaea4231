#pragma once
// The list kept between runs in "Kestrova.csv" beside the program, so a start
// that shows the previous list needs no scan.
#include "core/program.h"

namespace kestrova {

inline constexpr const char* kSaveInterruptedListQuestion = "中断リストを保存しますか？";
inline constexpr const char* kLoadInterruptedRow = "***** 中断 *****";

// At the end of a run: writes the rows in display order unless every start
// refreshes, a refresh runs, or the user declines to keep an interrupted
// list; then empties the list. The file is replaced atomically, so a failed
// save leaves the previous list whole.
void SaveListFile(Program& p);
// At start-up: fills the list from the file and shows the status line of the
// last refresh. A missing file leaves the list empty; a damaged one gives the
// rows that could be read; a folder or a pipe in its place is reported.
void LoadListFile(Program& p);

}  // namespace kestrova
