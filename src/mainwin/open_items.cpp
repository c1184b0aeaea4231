#include "open_items.h"

#include "platform/system/files.h"

namespace kestrova {

void ShellOpenCurrentFile(Program& p) {
    std::string ignored;
    p.services.ShellOpen(p.state.CurrentFilePath, ignored);
}

void ListView1_DblClick(Program& p) {
    const ListView& list = p.Form1.ListView1;
    const std::int32_t row = list.SelectedItem();
    if (row < 1 || row > list.Count()) return;
    p.state.CurrentFilePath = RowFilePath(list, row);
    if (!ReportMissingFile(p)) ShellOpenCurrentFile(p);
}

}  // namespace kestrova
