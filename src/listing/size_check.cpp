#include "size_check.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/system/files.h"

namespace kestrova {
namespace {

// A NaN pattern no byte count ever has marks a free slot.
constexpr std::uint64_t kFree = ~std::uint64_t{0};

std::uint64_t Bits(double size) {
    // +0 and -0 compare equal as doubles; give them one key.
    return std::bit_cast<std::uint64_t>(size == 0 ? 0.0 : size);
}

size_t Slot(std::uint64_t bits, size_t mask) {
    bits ^= bits >> 33;
    bits *= 0xff51afd7ed558ccdULL;
    bits ^= bits >> 33;
    return static_cast<size_t>(bits) & mask;
}

}  // namespace

SizeCheckScratch::SizeCheckScratch(std::string path) : path_(std::move(path)) {
    std::string ignored;
    DeleteFile(path_, ignored);
    file_.Create(path_, ignored);
}

SizeCheckScratch::~SizeCheckScratch() { Finish(); }

bool SizeCheckScratch::Insert(std::uint64_t bits) {
    if (2 * (used_ + 1) > slots_.size()) {
        std::vector<std::uint64_t> old = std::move(slots_);
        slots_.assign(std::max<size_t>(1024, old.size() * 2), kFree);
        for (std::uint64_t b : old) {
            if (b == kFree) continue;
            size_t i = Slot(b, slots_.size() - 1);
            while (slots_[i] != kFree) i = (i + 1) & (slots_.size() - 1);
            slots_[i] = b;
        }
    }
    size_t i = Slot(bits, slots_.size() - 1);
    while (slots_[i] != kFree) {
        if (slots_[i] == bits) return false;
        i = (i + 1) & (slots_.size() - 1);
    }
    slots_[i] = bits;
    ++used_;
    return true;
}

bool SizeCheckScratch::SeenBefore(double size) {
    if (!Insert(Bits(size))) return true;
    ++record_count_;
    unsigned char record[8];
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(size);
    for (int i = 0; i < 8; ++i) record[i] = static_cast<unsigned char>(bits >> (8 * i));
    file_.Write(record, sizeof record);
    return false;
}

void SizeCheckScratch::Finish() {
    if (!file_.IsOpen()) return;
    file_.Close();
    std::string ignored;
    DeleteFile(path_, ignored);
}

}  // namespace kestrova
