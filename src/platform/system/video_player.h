#pragma once
// The players a video is handed to: mplayerc.exe beside the program, or a
// player the system already has installed.
#include <optional>
#include <string>

namespace kestrova {

// Which command line a player understands.
enum class PlayerKind { MediaPlayerClassic, Vlc, Mpv };

struct VideoPlayer {
    PlayerKind kind = PlayerKind::MediaPlayerClassic;
    std::string program;  // full path
    bool operator==(const VideoPlayer&) const = default;
};

// The Linux program ships its own mplayerc.exe, a launcher that hands the
// video on and ends with this code when it finds no player to hand it to.
// On Windows mplayerc.exe is the real player, whose exit code says nothing
// of the kind.
#ifdef _WIN32
inline constexpr std::optional<int> kLauncherFoundNoPlayer = std::nullopt;
#else
inline constexpr std::optional<int> kLauncherFoundNoPlayer = 127;
#endif

}  // namespace kestrova
