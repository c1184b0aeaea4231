#pragma once
// Rebuilding the list from the sixteen folder rows.
#include "core/program.h"
#include "scan_context.h"

namespace kestrova {

inline constexpr const char* kCloseSettingsFirst = "設定画面を閉じてください";
// Colours of the refresh button while a refresh runs and after an interrupt.
inline constexpr Color kRefreshRunningColor = Rgb(0, 255, 255);
inline constexpr Color kInterruptRequestedColor = Rgb(192, 255, 192);

void RefreshList(Program& p, const FolderReading& reading = {});
// The refresh button "最新の情報に更新": refused while the settings screen
// is open or a refresh runs; may start the automatic run afterwards.
void Command3_Click(Program& p);
void ClearSelection(Program& p);
// Starts the action AutoRunChoice names on the selected rows; nothing for
// a choice without one.
void RunAutoRunChoice(Program& p);
void SelectAll(Program& p);

}  // namespace kestrova
