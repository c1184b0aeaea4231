#pragma once
// Video players Windows already has, found where their installers record
// their programs.
#include <optional>

#include "platform/system/video_player.h"

namespace kestrova {

// The first installed player whose program is there, in this order: Media
// Player Classic (home cinema, then black edition), VLC, mpv.
std::optional<VideoPlayer> FindInstalledPlayer();

}  // namespace kestrova
