#pragma once
// The open sequence: the selected rows opened one after the other, stepped
// through with the next-item dialog Form6 or each shown for ViewSeconds,
// possibly repeated. The automatic runs "開く" and "開く(auto)" use it too.
#include "core/program.h"

namespace kestrova {

inline constexpr const char* kNextItemCaption = "次処理へ(ケストロヴァ)";

void Kest_Open_Click(Program& p);

namespace form6 {

// The next-item dialog's buttons: forward (or hold, when timed), back (or
// go on), and the end. Its close box ends the sequence as the end button does.
void Command1_Click(Program& p);
void Command2_Click(Program& p);
void Command3_Click(Program& p);

}  // namespace form6

}  // namespace kestrova
