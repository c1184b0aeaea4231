#pragma once
// The real folders a walk has claimed. A walk adds one for every folder it
// meets, so the set is one flat table with open addressing rather than a
// tree with a node (and an allocation) per folder.
#include <cstdint>
#include <vector>

#include "platform/system/files.h"  // FileIdentity

namespace kestrova {

class IdentitySet {
public:
    // False when it was there already.
    bool Insert(const FileIdentity& id) {
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = Hash(id) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.used) {
                slot = {id, true};
                ++count_;
                return true;
            }
            if (slot.id == id) return false;
        }
    }

private:
    struct Slot {
        FileIdentity id;
        bool used = false;
    };

    static std::size_t Hash(const FileIdentity& id) {
        std::uint64_t h = id.inode * 0x9E3779B97F4A7C15ULL ^ (id.device + 0x632BE59BD9B4E019ULL);
        h ^= h >> 29;
        return static_cast<std::size_t>(h * 0xBF58476D1CE4E5B9ULL >> 17);
    }

    void Grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
        count_ = 0;
        for (const Slot& slot : old) {
            if (slot.used) Insert(slot.id);
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace kestrova
