#pragma once
// What one refresh carries from folder to folder and file to file.
#include <cstdint>
#include <set>
#include <utility>

#include "core/program.h"
#include "icon_cache.h"
#include "size_check.h"

namespace kestrova {

struct ScanContext {
    Program& p;
    SizeCheckScratch* size_check = nullptr;  // set while the size check is on
    IconCache* icon_cache = nullptr;         // set while rows get per-file icons
    // Real folders already scanned in this row, so links cannot loop.
    std::set<std::pair<std::uint64_t, std::uint64_t>> visited;
};

}  // namespace kestrova
