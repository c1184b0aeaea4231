// The parts of the file layer that do not depend on the system.
#include "files.h"

#include <algorithm>
#include <cerrno>

namespace kestrova {
namespace {

constexpr const char* kTemporaryMark = ".tmp-";

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

bool NameLess(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // std::string compares as unsigned char
}

std::size_t LastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i])) return i;
    }
    return std::string::npos;
}

}  // namespace

std::string BaseName(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentFolder(const std::string& path) {
    const std::size_t slash = LastSeparator(path);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return std::string(1, kPathSeparator);
    // "C:\x" has the root "C:\" as its folder, not the drive-relative "C:".
    if (kPathSeparator == '\\' && slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

void SortByName(std::vector<DirEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return NameLess(a.name, b.name); });
}

Listing ListFolder(const std::string& folder, int attributes, const std::string& patterns) {
    Listing listing;
    const FolderHandle handle = OpenFolder(folder, listing.error);
    if (!handle.is_open()) return listing;
    return ListFolder(handle, attributes, patterns);
}

bool CheckNewFileName(const std::string& name, std::string& error) {
    if (std::any_of(name.begin(), name.end(), IsPathSeparator) || name == "." || name == "..") {
        error = ErrorText(EINVAL);
        return false;
    }
    return true;
}

std::string TemporaryPath(const std::string& path, long pid) { return path + kTemporaryMark + std::to_string(pid); }

std::optional<long> TemporaryOwner(const std::string& name, const std::string& path) {
    const std::string prefix = BaseName(path) + kTemporaryMark;
    if (!name.starts_with(prefix)) return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stol(digits);
}

}  // namespace kestrova
