#include "webp_header.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>

namespace kestrova {
namespace {

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;
constexpr size_t kEntryBytes = 12;
// An EXIF chunk is a few kilobytes; a larger one is not read.
constexpr std::uint32_t kLargestExif = 1 << 20;

class TiffReader {
public:
    explicit TiffReader(std::string_view data) : data_(data) {}
    bool SetOrder() {
        if (data_.substr(0, 2) == "II") little_ = true;
        else if (data_.substr(0, 2) == "MM") little_ = false;
        else return false;
        return Get(2, 2) == 42;
    }
    // The unsigned value of `size` bytes at `at`, in the data's byte order.
    std::optional<std::uint32_t> Get(size_t at, size_t size) const {
        if (at > data_.size() || size > data_.size() - at) return std::nullopt;
        std::uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<std::uint8_t>(data_[at + (little_ ? size - 1 - i : i)]);
            value = value << 8 | byte;
        }
        return value;
    }

private:
    std::string_view data_;
    bool little_ = true;
};

std::uint32_t LittleEndian32(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
    return value;
}

}  // namespace

int ExifOrientation(std::string_view exif) {
    if (exif.substr(0, 6) == std::string_view("Exif\0\0", 6)) exif.remove_prefix(6);
    TiffReader tiff(exif);
    if (!tiff.SetOrder()) return 1;
    const std::optional<std::uint32_t> directory = tiff.Get(4, 4);
    const std::optional<std::uint32_t> count = directory ? tiff.Get(*directory, 2) : std::nullopt;
    if (!count) return 1;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const size_t entry = *directory + 2 + i * kEntryBytes;
        if (tiff.Get(entry, 2) != kOrientationTag) continue;
        if (tiff.Get(entry + 2, 2) != kShortType) return 1;
        const std::optional<std::uint32_t> value = tiff.Get(entry + 8, 2);
        return value && *value >= 1 && *value <= 8 ? static_cast<int>(*value) : 1;
    }
    return 1;
}

int WebpOrientation(const std::string& path) {
    // Names are UTF-8; on Windows a plain string would be taken in the ANSI
    // code page.
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    char header[12];
    if (!in.read(header, sizeof header) || std::string_view(header, 4) != "RIFF" ||
        std::string_view(header + 8, 4) != "WEBP") {
        return 1;
    }
    char chunk[8];
    while (in.read(chunk, sizeof chunk)) {
        const std::uint32_t size = LittleEndian32(chunk + 4);
        if (std::string_view(chunk, 4) == "EXIF") {
            if (size > kLargestExif) return 1;
            std::string exif(size, '\0');
            if (!in.read(exif.data(), size)) return 1;
            return ExifOrientation(exif);
        }
        // Chunks are padded to an even size.
        in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
    }
    return 1;
}

}  // namespace kestrova
