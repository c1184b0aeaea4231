// The per-user folders of Windows, and whether a folder takes new files.
#include "platform/system/user_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "long_path.h"
#include "platform/system/files.h"
#include "wide_text.h"

namespace kestrova {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string out;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path) out = WithTrailingSeparator(Utf8FromWide(path));
    ::CoTaskMemFree(path);
    return out;
}

}  // namespace

// Folder permissions on Windows are access lists, inherited and combined
// with group memberships and the folder's read-only attribute: trying is the
// only sure answer. The probe file vanishes when its handle closes.
bool FolderRefusesWriting(const std::string& folder) {
    const std::wstring probe = LongPath(WithTrailingSeparator(folder) + "kestrova-write-test-" + std::to_string(::GetCurrentProcessId()));
    HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT || error == ERROR_NOT_SUPPORTED;
}

std::string UserConfigHome() { return KnownFolder(FOLDERID_RoamingAppData); }

std::string UserCacheHome() { return KnownFolder(FOLDERID_LocalAppData); }

bool MakeUserFolder(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path = folder;
    while (path.size() > 3 && IsPathSeparator(path.back())) path.pop_back();
    // Every folder on the way, from the first below the root.
    for (std::size_t at = 0; at <= path.size(); ++at) {
        if (at < path.size() && !IsPathSeparator(path[at])) continue;
        const std::string part = path.substr(0, at);
        if (part.size() <= 3 && part.find(':') != std::string::npos) continue;  // "C:" or "C:\"
        if (part.empty() || part == "\\" || (part.starts_with("\\\\") && std::count(part.begin(), part.end(), '\\') < 4)) continue;
        if (!::CreateDirectoryW(LongPath(part).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return FolderExists(path) && !FolderRefusesWriting(path);
}

}  // namespace kestrova
