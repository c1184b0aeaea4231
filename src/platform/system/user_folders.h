#pragma once
// Where a program that may not write beside itself keeps a user's files: the
// desktop's per-user configuration and cache folders (%APPDATA% and
// %LOCALAPPDATA% on Windows).
#include <string>

namespace kestrova {

// The program's own folder below them, spelt as each system's custom has it.
#ifdef _WIN32
inline constexpr const char* kUserFolderName = "Kestrova";
#else
inline constexpr const char* kUserFolderName = "kestrova";
#endif

// True only when the folder exists and this user is refused writing into it
// (permissions or a read-only file system). Any other trouble, such as a
// missing folder, is not a refusal: the caller keeps its usual place.
bool FolderRefusesWriting(const std::string& folder);

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not an absolute path;
// with a trailing separator. Empty when neither it nor a home is known.
// On Windows the roaming application data folder.
std::string UserConfigHome();
// $XDG_CACHE_HOME, or ~/.cache, by the same rule; on Windows the local
// application data folder.
std::string UserCacheHome();

// Creates the folder and any missing parents, private to this user; true
// when it is a folder this user may write into afterwards.
bool MakeUserFolder(const std::string& folder);

}  // namespace kestrova
