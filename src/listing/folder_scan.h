#pragma once
// One folder row becomes list rows: its folder alone, or with every folder
// below it, parent before children, subfolders in ascending name order.
#include <string>

#include "platform/system/files.h"
#include "scan_context.h"

namespace kestrova {

inline constexpr const char* kSearching = "を検索しております";
inline constexpr const char* kCannotSearch = "を検索できません";

// The folder as rows show it: without a trailing separator, except a root.
std::string MakeDisplayFolder(const std::string& folder);

// Chooses the strategy for folder row FolderRowIndex and runs it.
void ScanFolderRow(ScanContext& ctx);
// Adds the matching files of the folder alone.
void ScanOneFolder(ScanContext& ctx, const std::string& folder);
// Depth-first walks; the listing walk leaves hidden folders out, the
// attribute walk enters them too.
void WalkByListing(ScanContext& ctx, const std::string& row_folder);
void WalkByAttributes(ScanContext& ctx, const std::string& row_folder);

}  // namespace kestrova
