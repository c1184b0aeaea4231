#pragma once
// What one refresh carries from folder to folder and file to file.
#include "core/program.h"
#include "icon_cache.h"
#include "size_check.h"

namespace kestrova {

// How the folders of a refresh are read.
struct FolderReading {
    // On a thread of their own, ahead of the rows; off, each folder is read
    // when its turn comes (the same rows, on one core).
    bool read_ahead = true;
};

struct ScanContext {
    Program& p;
    SizeCheckScratch* size_check = nullptr;  // set while the size check is on
    IconCache* icon_cache = nullptr;         // set while rows get per-file icons
    FolderReading reading;
};

}  // namespace kestrova
