#pragma once
// Network shares mounted by the desktop (gvfs) appear as local folders with
// encoded names; the program speaks of them as //HOST/SHARE/... instead.
#include <functional>
#include <optional>
#include <string>

namespace kestrova {

// "/run/user/1000/gvfs/smb-share:server=host,share=docs/a/b" -> "//host/docs/a/b";
// a server mount ("smb-server:server=host") -> "//host". Other paths: nullopt.
std::optional<std::string> GvfsPathToNetworkPath(const std::string& path);

// The folder a network browse starts in: the user's gvfs mounts, else the
// usual mount points, else the root.
std::string NetworkBrowseStart(unsigned uid, const std::function<bool(const std::string&)>& is_dir);

}  // namespace kestrova
