// The parts of the file layer that do not depend on the system.
#include "files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kestrova {
namespace {

// The marks between a file's name and the process id of the save that
// made the temporary: still being written, and written whole.
constexpr const char* kWritingMark = ".tmp-";
constexpr const char* kWrittenMark = ".new-";

const char* MarkOf(SaveStage stage) { return stage == SaveStage::Written ? kWrittenMark : kWritingMark; }

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

std::size_t LastSeparator(const std::string& path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i])) return i;
    }
    return std::string::npos;
}

}  // namespace

std::string ReadFileHead(const std::string& path, std::size_t bytes) {
    // Names are UTF-8; on Windows a plain string would be taken in the ANSI
    // code page.
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    std::string head(bytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

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

std::string ShownFolder(const std::string& folder) {
    const bool drive_root = folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':' &&
                            (folder.size() == 2 || IsPathSeparator(folder[2]));
    if (kPathSeparator == '\\' && drive_root) return folder.substr(0, 2);
    std::string shown = folder;
    while (shown.size() > 1 && IsPathSeparator(shown.back())) shown.pop_back();
    return shown;
}

void SortByName(std::vector<DirEntry>& entries) {
    NameList names;
    for (const DirEntry& entry : entries) names.Add(entry.name);
    std::vector<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (std::uint32_t i : names.Order()) sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

void NameList::Add(std::string_view name) {
    const std::size_t at = bytes_.size();
    spans_.push_back({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(name.size())});
    bytes_.append(name).push_back('\0');
    // The folded copy is made in place: appending it byte by byte cost more
    // than everything else a listing does with a name.
    folded_.append(name).push_back('\0');
    for (std::size_t i = at; i < at + name.size(); ++i) {
        folded_[i] = static_cast<char>(FoldAscii(static_cast<unsigned char>(folded_[i])));
    }
}

// Case folded first, so the folded bytes compare whole, in one go; no two
// names of a folder are equal, so the order is complete.
std::vector<std::uint32_t> NameList::Order() const {
    std::vector<std::uint32_t> order(spans_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        const Span x = spans_[a];
        const Span y = spans_[b];
        const int folded = std::memcmp(folded_.data() + x.offset, folded_.data() + y.offset, std::min(x.size, y.size));
        if (folded != 0) return folded < 0;
        if (x.size != y.size) return x.size < y.size;
        return std::memcmp(bytes_.data() + x.offset, bytes_.data() + y.offset, x.size) < 0;
    });
    return order;
}

Listing ListFolder(const std::string& folder, int attributes, const std::string& patterns) {
    Listing listing;
    const FolderHandle handle = OpenFolder(folder, listing.error);
    if (!handle.is_open()) return listing;
    return ListFolder(handle, attributes, patterns);
}

bool CheckNewFileName(const std::string& name, std::string& error) {
    if (std::any_of(name.begin(), name.end(), IsPathSeparator) || name == "." || name == ".." || !SystemTakesName(name)) {
        error = ErrorText(EINVAL);
        return false;
    }
    return true;
}

std::optional<std::string> ReadUpTo(std::size_t size_hint, std::size_t max_bytes, std::string& error,
                                    const std::function<std::optional<std::size_t>(char* into, std::size_t room)>& read) {
    // The limit is enforced on what arrives, not on what was announced.
    constexpr std::size_t kChunk = 1u << 20;
    std::string data;
    std::size_t used = 0;
    data.resize(std::min(size_hint, max_bytes) + 1);
    while (true) {
        if (used == data.size()) {
            if (used > max_bytes) {
                error = ErrorText(EFBIG);
                return std::nullopt;
            }
            data.resize(std::min(used + kChunk, max_bytes + 1));
        }
        const std::optional<std::size_t> n = read(data.data() + used, std::min(data.size() - used, kChunk * 16));
        if (!n) return std::nullopt;
        if (*n == 0) break;
        used += *n;
    }
    if (used > max_bytes) {
        error = ErrorText(EFBIG);
        return std::nullopt;
    }
    data.resize(used);
    return data;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
    AtomicFileWriter file;
    return file.Open(path, error) && file.Write(bytes, error) && file.Commit(error);
}

std::string NotAFileText() { return ErrorText(ENOTSUP); }

void FileWriteStream::Write(const void* bytes, std::size_t size) {
    if (!IsOpen()) return;
    pending_.append(static_cast<const char*>(bytes), size);
    if (pending_.size() >= kGathered) Flush();
}

bool FileWriteStream::Flush() {
    if (IsOpen() && !pending_.empty() && !WriteThrough(pending_.data(), pending_.size())) failed_ = true;
    pending_.clear();
    return !failed_;
}

std::string TemporaryPath(const std::string& path, long pid, SaveStage stage) {
    return path + MarkOf(stage) + std::to_string(pid);
}

std::optional<TemporaryName> TemporaryOwner(const std::string& name, const std::string& path) {
    for (const SaveStage stage : {SaveStage::Writing, SaveStage::Written}) {
        const std::string prefix = BaseName(path) + MarkOf(stage);
        if (!name.starts_with(prefix)) continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        return TemporaryName{std::stol(digits), stage};
    }
    return std::nullopt;
}

}  // namespace kestrova
