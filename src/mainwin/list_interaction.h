#pragma once
// What the mouse and the keys do in the file list, and the count of its
// selected rows that the commands over several rows start from.
#include "core/program.h"

namespace kestrova {

// Right button: the row under the pointer becomes the current one and the
// list menu opens; a plain left press starts a fresh selection; the middle
// button selects all rows or none. Any press marks that the user took over.
void ListView1_MouseDown(Program& p, int button, int shift, int x, int y);
// A plain key shows the help (or ends a finished automatic run that nobody
// touched); Alt flips the folder column.
void ListView1_KeyDown(Program& p, int key, int shift);

}  // namespace kestrova
