#pragma once
// The main window's own behaviour: the resize rule, always-on-top, the
// one-second tick and the three picture buttons.
#include <cstdint>

#include "core/program.h"
#include "listing/refresh.h"

namespace kestrova {

void Form_Resize(Program& p);
std::int32_t SetFormTop(Form& form, std::int16_t mode);
void Timer1_Timer(Program& p);
void Image1_Click(Program& p);
void Image2_Click(Program& p);
// Ends the program at once: nothing is saved, nothing asked.
void Image3_Click(Program& p);
// Gives the main window its pictures and the settings screen its image buttons.
void LoadWindowPictures(Program& p);

}  // namespace kestrova
