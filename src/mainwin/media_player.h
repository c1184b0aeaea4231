#pragma once
// Videos played one after another, full screen, in the player beside the
// program, over the black backdrop Form4; the program waits for each.
#include <string>
#include <vector>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kPlayerFileName = "mplayerc.exe";
inline constexpr const char* kPlayerMissingText = " が見つかりません。開く(実行)できませんでした。";
// The launcher beside the program ends with this code when no player it
// knows of is installed; it looks for the players named in the message.
inline constexpr int kNoVideoPlayerExitCode = 127;
inline constexpr const char* kNoVideoPlayerText =
    "動画プレーヤーが見つかりません。mpv、VLC、ffplay のどれもインストールされていません。再生できませんでした。";

// The media-player sequence over the selected rows (menu and automatic run).
void MPC_Open_Click(Program& p);
// Returns once the process has ended, keeping the windows live meanwhile.
void WaitForProcessEnd(Program& p, ProcessId id);
// The player's command line for CurrentFilePath as separate arguments:
// no shell ever splits it, so no file name can add switches or commands.
std::vector<std::string> PlayerArguments(const SharedState& s);

}  // namespace kestrova
