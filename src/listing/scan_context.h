#pragma once
// What one refresh carries from folder to folder and file to file.
#include "core/program.h"
#include "folder_step.h"  // FolderReading
#include "icon_cache.h"
#include "size_check.h"

namespace kestrova {

struct ScanContext {
    Program& p;
    SizeCheckScratch* size_check = nullptr;  // set while the size check is on
    IconCache* icon_cache = nullptr;         // set while rows get per-file icons
    FolderReading reading;
};

}  // namespace kestrova
