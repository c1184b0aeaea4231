#include "list_summary.h"

#include "list_file.h"
#include "platform/text/textformat.h"

namespace kestrova {
namespace {

// Column 3 of a row: the size, right-aligned, then the mark.
constexpr int kSizeColumn = 2;

}  // namespace

double SizeOfCell(const std::string& cell) {
    std::string digits;
    for (char c : cell) {
        if (c != ' ' && c != ',' && c != '*') digits += c;
    }
    return TextToDouble(digits).value_or(0);
}

ListSummary SummaryOfRows(const ListView& list, const SharedState& s) {
    ListSummary summary{0, 0, 0, s.InterruptMark, s.RefreshStamp};
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        const std::string size = list.SubItem(i, kSizeColumn);
        // The marker row has no size; only such a row needs a closer look.
        if (size.empty() && list.RowText(i) == kLoadInterruptedRow && list.SubItem(i, 1) == kLoadInterruptedRow) continue;
        ++summary.FileCount;
        summary.TotalBytes += SizeOfCell(size);
        if (!size.empty() && size.back() == '*') ++summary.SameSizeHits;
    }
    return summary;
}

}  // namespace kestrova
