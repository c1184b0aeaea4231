#include "platform/system/user_folders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/system/files.h"

namespace kestrova {
namespace {

// The desktop's rule for its base folders: a relative value is invalid and
// is ignored in favour of the default below the home folder.
std::string BaseFolder(const char* variable, const char* below_home) {
    const char* value = std::getenv(variable);
    if (value && value[0] == kPathSeparator) return WithTrailingSeparator(value);
    const char* home = std::getenv("HOME");
    if (!home || home[0] != kPathSeparator) return {};
    return WithTrailingSeparator(home) + below_home + kPathSeparator;
}

bool MayWriteInto(const std::string& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

}  // namespace

bool FolderRefusesWriting(const std::string& folder) {
    if (MayWriteInto(folder)) return false;
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

std::string UserConfigHome() { return BaseFolder("XDG_CONFIG_HOME", ".config"); }

std::string UserCacheHome() { return BaseFolder("XDG_CACHE_HOME", ".cache"); }

bool MakeUserFolder(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path = folder;
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    for (std::size_t at = path.find(kPathSeparator, 1);; at = path.find(kPathSeparator, at + 1)) {
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos) break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && MayWriteInto(path);
}

}  // namespace kestrova
