#pragma once
// Moving the settings between the shared state and the controls that show
// them: the settings screen, the main window's row check boxes, the pattern
// selector and the list's folder-name column.
#include "core/program.h"

namespace kestrova {

// Room kept right of the first two list columns: the three fixed columns and
// a margin.
inline constexpr int kFixedColumnsRoom = 5832;

void SettingsToScreen(Program& p);
void ScreenTextsToSettings(Program& p);
void ScreenOptionsToSettings(Program& p);
void ReadEnabledChecks(Program& p);
void LabelEnabledChecks(Program& p);
void ApplyFolderColumn(Program& p);
// LoadDefaultSettings: the defaults, then shown on the screens.
void LoadDefaultSettings(Program& p);

// The button "設定": opens the settings screen, or closes it when open.
void Command1_Click(Program& p);
// Closing the settings screen by "設定", "閉じる" (with the folder column
// applied) or its close box (without).
void CloseSettingsScreen(Program& p, bool apply_folder_column);

}  // namespace kestrova
