#include "file_rows.h"

#include "platform/text/textformat.h"

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

std::string ModifiedText(std::int64_t mtime_seconds) { return ModifiedText(ToLocalTime(mtime_seconds)); }

std::string ModifiedText(const LocalTime& modified) {
    static const std::string kPattern = "yyyy/mm/dd HH:MM:SS";
    return FormatDateTime(modified, kPattern);
}

void ShowProgressCount(Program& p) {
    const std::string count = FormatNumber(p.state.TotalFileCount, "###0");
    p.Form1.SetCaption("ケストロヴァ [" + count + "]");
    p.Form3.Label3.SetCaption(count);
}

FolderOfRows MakeFolderOfRows(Program& p, const std::string& display_folder, int folder_row) {
    ListView& list = p.Form1.ListView1;
    return {display_folder, list.EncodeSubItem(display_folder), list.EncodeSubItem(FormatNumber(folder_row, "00"))};
}

void AddFileRow(ScanContext& ctx, std::string_view name, const FolderOfRows& folder, double size, const LocalTime& modified) {
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
    bool marked = false;
    if (IsOn(s.SizeCheck)) {
        const bool seen = ctx.size_check && ctx.size_check->SeenBefore(size);
        s.SizeRecordCount = ctx.size_check ? ctx.size_check->RecordCount() : 0;
        p.services.DoEvents();
        marked = seen;
        if (seen) ++s.SameSizeHitCount;
    }
    // The shared mark changes only when it must: a million assignments of a
    // one-letter text cost more than the comparison.
    const char mark = marked ? '*' : ' ';
    if (s.SizeMark.size() != 1 || s.SizeMark[0] != mark) s.SizeMark.assign(1, mark);

    // Sizes and times go into the list as numbers; a text is made only for
    // values the list does not keep as numbers.
    ListView& list = p.Form1.ListView1;
    std::array<Cell, kSubItemCount> sub{folder.folder, {}, {}, folder.number};
    if (auto cell = PaddedNumberCell(size, kSizeTextWidth, mark)) sub[1] = *cell;
    else sub[1] = list.EncodeSubItem(SizeText(size, s.SizeMark));
    if (auto cell = DateTimeCell(modified.year, modified.month, modified.day, modified.hour, modified.minute,
                                 modified.second)) {
        sub[2] = *cell;
    } else {
        sub[2] = list.EncodeSubItem(ModifiedText(modified));
    }
    int icon = 0;
    if (IsOn(s.ShowIcons)) {
        icon = ctx.icon_cache ? GetRowIcon(p, *ctx.icon_cache, folder.display_folder, name)
                              : (marked ? kSameSizeImage : kScannedImage);
    }
    list.AddRow(name, sub, icon);
    p.services.DoEvents();
}

int SimpleIcon(std::string_view size_text, int plain_image) {
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
