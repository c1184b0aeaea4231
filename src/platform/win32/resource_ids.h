#pragma once
// Numbers of the resources linked into kestrova.exe (data/windows/kestrova.rc.in),
// for LoadIcon and the like. Plain defines: the resource compiler reads this too.
#define KESTROVA_ICON_ID 1
