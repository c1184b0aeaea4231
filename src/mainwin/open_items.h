#pragma once
// Opening list rows with the desktop's default application.
#include <cstdint>
#include <string>

#include "core/program.h"
#include "core/selected_rows.h"

namespace kestrova {

// Hands CurrentFilePath to the desktop's opener without waiting for it; a
// failing opener is not reported.
void ShellOpenCurrentFile(Program& p);
// Opens the list's current row; nothing when there is none.
void ListView1_DblClick(Program& p);

}  // namespace kestrova
