#include "selected_rows.h"

namespace kestrova {

void CountSelected(Program& p) {
    p.state.SelectedCount = 0;
    for (const ListRow& row : p.Form1.ListView1.Rows()) {
        if (row.selected) ++p.state.SelectedCount;
    }
}

std::string RowFilePath(const ListView& list, std::int32_t row) {
    std::string path = list.SubItem(row, 1);
    if (path.empty() || path.back() != '/') path += '/';
    return path + list.RowText(row);
}

}  // namespace kestrova
