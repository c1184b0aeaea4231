#include "file_rows.h"

#include "platform/textformat.h"

namespace kestrova {
namespace {

constexpr const char* kFilesShown = " 個のファイルを表示（表示領域 ";
constexpr const char* kBytesClose = " Byte)";
constexpr const char* kHitsLabel = "    ChkHit(*) ";
constexpr const char* kStampOpen = "         [";

std::string Counts(const SharedState& s, std::int32_t files, double bytes) {
    std::string text = std::to_string(files) + kFilesShown + FormatNumber(bytes, "##,##0") + kBytesClose;
    if (IsOn(s.SizeCheck)) text += kHitsLabel + std::to_string(s.SameSizeHitCount);
    return text;
}

}  // namespace

// Built once per file of a refresh: one allocation for the result.
std::string SizeText(double size, const std::string& mark) {
    const std::string digits = FormatNumber(size, "#,##0") + mark;
    const size_t width = kSizeTextWidth;
    if (digits.size() >= width) return digits.substr(digits.size() - width);
    std::string text;
    text.reserve(width);
    text.append(width - digits.size(), ' ');
    return text.append(digits);
}

std::string ModifiedText(std::int64_t mtime_seconds) {
    static const std::string kPattern = "yyyy/mm/dd HH:MM:SS";
    return FormatDateTime(ToLocalTime(mtime_seconds), kPattern);
}

void ShowProgressCount(Program& p) {
    const std::string count = FormatNumber(p.state.TotalFileCount, "###0");
    p.Form1.SetCaption("ケストロヴァ [" + count + "]");
    p.Form3.Label3.SetCaption(count);
}

void AddFileRow(ScanContext& ctx, const std::string& name, const std::string& display_folder, int folder_row,
                double size, std::int64_t mtime_seconds) {
    Program& p = ctx.p;
    SharedState& s = p.state;
    ++s.ListedFileCount;
    ++s.TotalFileCount;
    ++s.ProgressStep;
    if (s.TotalFileCount < 100) ShowProgressCount(p);
    if (s.ProgressStep == 100) {
        ShowProgressCount(p);
        s.ProgressStep = 0;
    }
    ++s.RowFileCount;
    // Sizes are whole bytes held in a double, so files beyond 4 GiB count
    // and show their true size.
    s.ListedTotalBytes += size;
    s.RowBytes += size;
    // With the check off the mark is a blank, whatever the last refresh left.
    s.SizeMark = " ";
    if (IsOn(s.SizeCheck)) {
        const bool seen = ctx.size_check && ctx.size_check->SeenBefore(size);
        s.SizeRecordCount = ctx.size_check ? ctx.size_check->RecordCount() : 0;
        p.services.DoEvents();
        if (seen) {
            ++s.SameSizeHitCount;
            s.SizeMark = "*";
        }
    }
    ListRow row;
    row.text = name;
    row.sub[0] = display_folder;
    row.sub[1] = SizeText(size, s.SizeMark);
    row.sub[2] = ModifiedText(mtime_seconds);
    row.sub[3] = FormatNumber(folder_row, "00");
    if (IsOn(s.ShowIcons)) {
        row.icon = ctx.icon_cache ? GetRowIcon(p, *ctx.icon_cache, display_folder, name)
                                  : SimpleIcon(row.sub[1], kScannedImage);
    }
    p.Form1.ListView1.AddRow(std::move(row));
    p.services.DoEvents();
}

int SimpleIcon(const std::string& size_text, int plain_image) {
    return !size_text.empty() && size_text.back() == '*' ? kSameSizeImage : plain_image;
}

void UpdateRowSummary(Program& p) {
    SharedState& s = p.state;
    s.RowNumberText = FormatNumber(s.FolderRowIndex, "00");
    s.RowSummary = s.RowNumberText + ": " + Counts(s, s.RowFileCount, s.RowBytes);
    if (s.RowFileCount > 0) {
        p.Form1.Label2.SetCaption(s.RowSummary);
        p.Form3.Label2.SetCaption(s.RowNumberText);
    }
}

std::string StatusCounts(const SharedState& s) { return s.InterruptMark + Counts(s, s.ListedFileCount, s.ListedTotalBytes); }

void BuildStatusText(Program& p) { p.state.StatusText = StatusCounts(p.state); }

void BuildStatusLine(Program& p) {
    SharedState& s = p.state;
    BuildStatusText(p);
    s.RefreshStamp = kStampOpen + FormatDateTime(p.services.Now(), "yy/mm/dd HH:NN:SS") + "]";
    p.Form1.Label3.SetCaption(s.StatusText + s.RefreshStamp);
}

}  // namespace kestrova
