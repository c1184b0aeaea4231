#pragma once
// The main window's own behaviour: the resize rule, always-on-top, the
// one-second tick and the three picture buttons.
#include <cstdint>

#include "app/program.h"

namespace kestrova {

// Colours of the refresh button while a refresh runs and after an interrupt.
inline constexpr Color kRefreshRunningColor = Rgb(0, 255, 255);
inline constexpr Color kInterruptRequestedColor = Rgb(192, 255, 192);

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
