#pragma once
// A found file becomes a list row; counters, the progress display, the
// per-row summary and the status line follow.
#include <cstdint>
#include <string>
#include <string_view>

#include "scan_context.h"

namespace kestrova {

inline constexpr int kSizeTextWidth = 20;

// The 20-character size text: right-aligned "#,##0" followed by the mark.
std::string SizeText(double size, const std::string& mark);
// "yyyy/mm/dd HH:MM:SS" in local time.
std::string ModifiedText(std::int64_t mtime_seconds);
std::string ModifiedText(const LocalTime& modified);
// "ケストロヴァ [n]" and the progress window's count.
void ShowProgressCount(Program& p);

// The folder's part of its rows (the DisplayFolder and the folder row
// number), encoded once for all of its files.
struct FolderOfRows {
    const std::string& display_folder;
    Cell folder;
    Cell number;
};
FolderOfRows MakeFolderOfRows(Program& p, const std::string& display_folder, int folder_row);

void AddFileRow(ScanContext& ctx, std::string_view name, const FolderOfRows& folder, double size, const LocalTime& modified);
// A row's image with simple icons: the same-size image when the size text
// ends in the mark, otherwise plain_image (scanned or loaded).
int SimpleIcon(std::string_view size_text, int plain_image);
void UpdateRowSummary(Program& p);
// The status line without its time stamp: interrupt mark, file count, total
// bytes and, with the size check on, the same-size hits.
std::string StatusCounts(const SharedState& s);
// StatusText from the remembered counters.
void BuildStatusText(Program& p);
void BuildStatusLine(Program& p);

}  // namespace kestrova
