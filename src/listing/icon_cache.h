#pragma once
// Per-file icons, shared by extension for one refresh or list load. Every
// extension met is written as a 9-byte record (5 bytes of extension in code
// page 932, blank-padded or cut, then the image index as a 32-bit
// little-endian integer) to the scratch file "Kestrova.Ck2", which lives
// only while the refresh or load runs. Lookups go through an index in memory
// beside the file, so a list of a million files stays linear.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/program.h"
#include "platform/system/files.h"

namespace kestrova {

inline constexpr const char* kIconCacheName = "Kestrova.Ck2";
inline constexpr int kIconRecordBytes = 9;
inline constexpr int kExtensionFieldBytes = 5;

// Base images of the list's image list.
inline constexpr int kScannedImage = 1;
inline constexpr int kLoadedImage = 2;
inline constexpr int kSameSizeImage = 3;
inline constexpr int kBitmapImage = 4;

// Everything after the name's last ".", empty without one.
std::string_view FileExtension(std::string_view name);
// The record's extension field: code page 932, cut to five bytes (never in
// the middle of a character) and padded with blanks.
std::string ExtensionField(std::string_view extension);

class IconCache {
public:
    explicit IconCache(std::string path) : path_(std::move(path)) {}
    ~IconCache() { CloseIconCache(); }
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // Deletes an old cache file, starts a new one and seeds it with the
    // bitmap extensions. Without a writable folder the cache still works,
    // from memory alone.
    void OpenIconCache();
    // Closes the file and deletes it.
    void CloseIconCache();
    std::int32_t IconRecordCount() const { return record_count_; }

    // The image of the first record for this extension, 0 when none.
    std::int32_t Find(std::string_view extension);
    void Append(std::string_view extension, std::int32_t image);

    // One shared picture for equal icons, so files of a type extracted one by
    // one do not each keep their own pixels.
    std::shared_ptr<const Picture> Shared(Picture picture);

private:
    // Looked up by a view into the file name, without a copy per file.
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using Index = std::unordered_map<std::string, std::int32_t, Hash, std::equal_to<>>;

    std::string path_;
    FileWriteStream file_;
    std::int32_t record_count_ = 0;
    Index by_field_;
    // The same answers by the extension as the name has it, which spares the
    // code-page conversion for every file after the first of its kind.
    Index by_extension_;
    std::unordered_map<std::uint64_t, std::shared_ptr<const Picture>> pictures_;
    std::shared_ptr<const Picture> last_;
    std::string last_extension_;
    std::optional<std::string> last_field_;
};

// With icons shown per file: a freshly opened cache in the program's folder;
// otherwise none.
std::unique_ptr<IconCache> OpenIconCacheWhenUsed(Program& p);

// The image of a row with per-file icons: the cached image of its extension,
// or the desktop's icon for the file (in the folder, under IconFileName),
// added to the list's image list. Files of the excluded extensions
// (programs, icons, links, cursors, data) are extracted every time, as their
// icons may differ file by file.
int GetRowIcon(Program& p, IconCache& cache, std::string_view folder, std::string_view IconFileName);

}  // namespace kestrova
