#pragma once
// Videos played one after another, full screen, in the player beside the
// program (or, where none lies there, one the system has installed), over
// the black backdrop Form4; the program waits for each.
#include <string>
#include <vector>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kPlayerFileName = "mplayerc.exe";
inline constexpr const char* kPlayerMissingText = " が見つかりません。開く(実行)できませんでした。";
// Shown when the launcher beside the Linux program found none of the players
// it looks for.
inline constexpr const char* kNoVideoPlayerText =
    "動画プレーヤーが見つかりません。mpv、VLC、ffplay のどれもインストールされていません。再生できませんでした。";

// The media-player sequence over the selected rows (menu and automatic run).
void MPC_Open_Click(Program& p);
// Returns once the process has ended, keeping the windows live meanwhile.
void WaitForProcessEnd(Program& p, ProcessId id);
// The player's command line for one file as separate arguments, playing it
// full screen and closing at its end: no shell ever splits it, so no file
// name can add switches or commands.
std::vector<std::string> PlayerArguments(const VideoPlayer& player, const std::string& file);

}  // namespace kestrova
