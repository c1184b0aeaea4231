#include "size_check.h"

#include <bit>
#include <cstring>

#include "platform/files.h"

namespace kestrova {
namespace {

std::uint64_t Bits(double size) {
    // +0 and -0 compare equal as doubles; give them one key.
    return std::bit_cast<std::uint64_t>(size == 0 ? 0.0 : size);
}

}  // namespace

SizeCheckScratch::SizeCheckScratch(std::string path) : path_(std::move(path)) {
    std::string ignored;
    DeleteFile(path_, ignored);
    file_ = std::fopen(path_.c_str(), "wb");
}

SizeCheckScratch::~SizeCheckScratch() { Finish(); }

bool SizeCheckScratch::SeenBefore(double size) {
    if (!sizes_.insert(Bits(size)).second) return true;
    ++record_count_;
    if (file_) {
        unsigned char record[8];
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(size);
        for (int i = 0; i < 8; ++i) record[i] = static_cast<unsigned char>(bits >> (8 * i));
        std::fwrite(record, 1, sizeof record, file_);
    }
    return false;
}

void SizeCheckScratch::Finish() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    std::string ignored;
    DeleteFile(path_, ignored);
}

}  // namespace kestrova
