#pragma once
// What tells one version of a file from the next, so a picture decoded
// earlier is known to be still the file's picture.
#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

// The file's length and its modification time, as fine as the system keeps it.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    bool operator==(const FileStamp&) const = default;
};

// nullopt for a folder or a file that cannot be looked at.
std::optional<FileStamp> FileStampOf(const std::string& path);

}  // namespace kestrova
