#include "gvfs_path.h"

#include <map>
#include <string_view>

namespace kestrova {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// gvfs escapes characters of host and share names that would break its
// key=value list (commas, slashes, percent signs) as %XX.
std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::map<std::string, std::string> ParseMountKeys(std::string_view keys) {
    std::map<std::string, std::string> values;
    while (!keys.empty()) {
        const size_t comma = keys.find(',');
        const std::string_view pair = keys.substr(0, comma);
        const size_t eq = pair.find('=');
        if (eq != std::string_view::npos) values[std::string(pair.substr(0, eq))] = PercentDecode(pair.substr(eq + 1));
        if (comma == std::string_view::npos) break;
        keys.remove_prefix(comma + 1);
    }
    return values;
}

}  // namespace

std::optional<std::string> GvfsPathToNetworkPath(const std::string& path) {
    constexpr std::string_view kMounts = "/gvfs/";
    const size_t at = path.find(kMounts);
    if (at == std::string::npos) return std::nullopt;
    std::string_view mount = std::string_view(path).substr(at + kMounts.size());
    std::string_view rest;
    if (const size_t slash = mount.find('/'); slash != std::string_view::npos) {
        rest = mount.substr(slash + 1);
        mount = mount.substr(0, slash);
    }
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);

    const size_t colon = mount.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view scheme = mount.substr(0, colon);
    const auto keys = ParseMountKeys(mount.substr(colon + 1));
    const auto server = keys.find("server");
    if (server == keys.end() || server->second.empty()) return std::nullopt;

    std::string result = "//" + server->second;
    if (scheme == "smb-share") {
        const auto share = keys.find("share");
        if (share == keys.end() || share->second.empty()) return std::nullopt;
        result += "/" + share->second;
    } else if (scheme != "smb-server") {
        return std::nullopt;
    }
    if (!rest.empty()) result += "/" + std::string(rest);
    return result;
}

std::string NetworkBrowseStart(unsigned uid, const std::function<bool(const std::string&)>& is_dir) {
    const std::string candidates[] = {"/run/user/" + std::to_string(uid) + "/gvfs", "/mnt", "/media"};
    for (const std::string& dir : candidates) {
        if (is_dir(dir)) return dir;
    }
    return "/";
}

}  // namespace kestrova
