#include "selected_rows.h"

#include "platform/system/files.h"

namespace kestrova {

void CountSelected(Program& p) {
    const ListView& list = p.Form1.ListView1;
    std::int32_t selected = 0;
    const std::int32_t rows = list.Count();
    for (std::int32_t i = 1; i <= rows; ++i) {
        if (list.Selected(i)) ++selected;
    }
    p.state.SelectedCount = selected;
}

std::string RowFilePath(const ListView& list, std::int32_t row) {
    return WithTrailingSeparator(list.SubItem(row, 1)) + list.RowText(row);
}

bool ReportMissingFile(Program& p) {
    if (NormalFileExists(p.state.CurrentFilePath)) return false;
    p.services.MsgBox(kFileNotFoundMessage, kOkOnly, kNoIcon);
    return true;
}

}  // namespace kestrova
