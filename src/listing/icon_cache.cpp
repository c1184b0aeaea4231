#include "icon_cache.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#include "platform/text/codepage.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

// Extensions whose files may each carry an icon of their own.
constexpr std::array<std::string_view, 11> kExtractedPerFile{"EXE", "exe", "ICO", "ico", "LNK", "lnk",
                                                             "CUR", "cur", "DAT", "dat", "Dat"};

bool ExtractedPerFile(std::string_view extension) {
    return std::find(kExtractedPerFile.begin(), kExtractedPerFile.end(), extension) != kExtractedPerFile.end();
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::uint64_t PixelHash(const Picture& picture) {
    std::uint64_t hash = 1469598103934665603ULL ^ static_cast<std::uint64_t>(picture.width) << 32 ^
                         static_cast<std::uint64_t>(picture.height);
    for (std::uint32_t pixel : picture.pixels) hash = (hash ^ pixel) * 1099511628211ULL;
    return hash;
}

bool SamePicture(const Picture& a, const Picture& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

}  // namespace

std::string_view FileExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string ExtensionField(std::string_view extension) {
    std::string field;
    if (IsAscii(extension)) {
        field = extension.substr(0, kExtensionFieldBytes);
    } else {
        const std::string cut = LeftBytes(std::string(extension), 1, kExtensionFieldBytes);
        // A character code page 932 lacks keeps its UTF-8 bytes: the key
        // still tells such extensions apart.
        field = Utf8ToCp932(cut).value_or(cut).substr(0, kExtensionFieldBytes);
    }
    field.resize(kExtensionFieldBytes, ' ');
    return field;
}

void IconCache::OpenIconCache() {
    CloseIconCache();
    std::string ignored;
    DeleteFile(path_, ignored);
    file_.Create(path_, ignored);
    record_count_ = 0;
    last_field_.reset();
    by_field_.clear();
    by_extension_.clear();
    Append("BMP", kBitmapImage);
    Append("bmp", kBitmapImage);
}

void IconCache::CloseIconCache() {
    if (!file_.IsOpen()) return;
    file_.Close();
    std::string ignored;
    DeleteFile(path_, ignored);
}

std::int32_t IconCache::Find(std::string_view extension) {
    if (auto known = by_extension_.find(extension); known != by_extension_.end()) return known->second;
    auto recorded = by_field_.find(ExtensionField(extension));
    if (recorded == by_field_.end()) return 0;
    by_extension_.emplace(extension, recorded->second);
    return recorded->second;
}

void IconCache::Append(std::string_view extension, std::int32_t image) {
    // Files extracted one by one append their extension again and again:
    // its field is made and indexed once.
    if (!last_field_ || extension != last_extension_) {
        last_extension_ = extension;
        last_field_ = ExtensionField(extension);
        // A lookup reads the records in order, so the first one of a key wins.
        by_field_.try_emplace(*last_field_, image);
    }
    const std::string& field = *last_field_;
    ++record_count_;
    unsigned char record[kIconRecordBytes];
    std::copy(field.begin(), field.end(), record);
    const auto bits = static_cast<std::uint32_t>(image);
    for (int i = 0; i < 4; ++i) record[kExtensionFieldBytes + i] = static_cast<unsigned char>(bits >> (8 * i));
    file_.Write(record, sizeof record);
    // A record a lookup may read back is written through at once, so the
    // file holds every such record so far. The records of files extracted
    // one by one are never read back; they wait in the buffer for the next
    // record written through, or for the close, as a write of its own for
    // each file cost about a third of the list thread's time.
    if (!ExtractedPerFile(extension)) file_.Flush();
}

std::shared_ptr<const Picture> IconCache::Shared(Picture picture) {
    // Files extracted one by one mostly follow one of their own kind: the
    // last picture is compared first, which spares hashing its pixels.
    if (last_ && SamePicture(*last_, picture)) return last_;
    auto& slot = pictures_[PixelHash(picture)];
    if (slot && SamePicture(*slot, picture)) return last_ = slot;
    auto shared = std::make_shared<const Picture>(std::move(picture));
    if (!slot) slot = shared;
    return last_ = shared;
}

std::unique_ptr<IconCache> OpenIconCacheWhenUsed(Program& p) {
    if (!IsOn(p.state.ShowIcons) || !IsOn(p.state.IconMode)) return nullptr;
    auto cache = std::make_unique<IconCache>(p.state.ScratchFolder + kIconCacheName);
    cache->OpenIconCache();
    return cache;
}

int GetRowIcon(Program& p, IconCache& cache, std::string_view folder, std::string_view IconFileName) {
    const std::string_view extension = FileExtension(IconFileName);
    const std::int32_t cached = ExtractedPerFile(extension) ? 0 : cache.Find(extension);
    p.services.DoEvents();
    if (cached > 0) return cached;
    ImageList& images = p.Form1.ImageList1;
    cache.Append(extension, images.Count() + 1);
    const std::string IconFilePath = WithTrailingSeparator(std::string(folder)).append(IconFileName);
    images.Add(cache.Shared(p.services.AssociatedIcon(IconFilePath)));
    return images.Count();
}

}  // namespace kestrova
