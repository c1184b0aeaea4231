#pragma once
// The counts a list file's rows stand for, as the settings file keeps them
// beside it (line 35): what the next start shows above those rows.
#include <string>

#include "core/shared_state.h"
#include "platform/model/listview.h"

namespace kestrova {

// The bytes a row's size cell stands for: blanks, thousands separators and
// the same-size mark are no part of the number. A cell that holds no number
// (a damaged list file) counts as 0 bytes.
double SizeOfCell(const std::string& cell);

// The rows as they go into the list file: every row but the marker of an
// interrupted load is a file; the marked ones are same-size hits. The
// interrupt mark and the time stamp are those of the list shown.
ListSummary SummaryOfRows(const ListView& list, const SharedState& state);

}  // namespace kestrova
