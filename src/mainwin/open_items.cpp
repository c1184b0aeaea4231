#include "open_items.h"

#include "platform/files.h"

namespace kestrova {

std::string RowPath(const ListView& list, std::int32_t row) {
    return WithTrailingSeparator(list.SubItem(row, 1)) + list.RowText(row);
}

bool ReportMissingFile(Program& p) {
    if (NormalFileExists(p.state.CurrentFilePath)) return false;
    p.services.MsgBox(kFileNotFoundMessage, kOkOnly, kNoIcon);
    return true;
}

void ShellOpenCurrentFile(Program& p) {
    std::string ignored;
    p.services.ShellOpen(p.state.CurrentFilePath, ignored);
}

void ListView1_DblClick(Program& p) {
    const ListView& list = p.Form1.ListView1;
    const std::int32_t row = list.SelectedItem();
    if (row < 1 || row > list.Count()) return;
    p.state.CurrentFilePath = RowPath(list, row);
    if (!ReportMissingFile(p)) ShellOpenCurrentFile(p);
}

}  // namespace kestrova
