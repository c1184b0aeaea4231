#include "rename_delete.h"

#include <algorithm>
#include <cerrno>

#include "listing/file_rows.h"
#include "listing/list_summary.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

// Column 3 of a row: the size, right-aligned in 19 characters, then the mark.
constexpr int kSizeColumn = 2;

std::string RowFolder(const ListView& list, std::int32_t row) { return WithTrailingSeparator(list.SubItem(row, 1)); }

bool HasRow(const ListView& list, std::int32_t row) { return row >= 1 && row <= list.Count(); }

void ShowError(Program& p, const std::string& error, const char* sentence) {
    p.services.MsgBox(error + sentence, kOkOnly, kNoIcon);
}

}  // namespace

void Kestren_Click(Program& p) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    ListView& list = f.ListView1;
    const std::int32_t row = list.SelectedItem();
    // Without a row there is nothing to rename, and no later edit may rename
    // the file of an earlier command.
    if (!HasRow(list, row)) {
        s.RenamePending = 0;
        return;
    }
    s.RenamePending = 1;
    s.CurrentFilePath = RowFolder(list, row);
    f.RenameOldName = list.RowText(row);
    f.TargetPath = s.CurrentFilePath + f.RenameOldName;
    list.StartLabelEdit();
}

void ListView1_AfterLabelEdit(Program& p, int& cancel, const std::optional<std::string>& new_text) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    ListView& list = f.ListView1;
    // An edit the menu did not start renames nothing, and the row must not
    // show a name no file has.
    if (s.RenamePending == 0) {
        cancel = 1;
        return;
    }
    // A cancelled edit or an emptied name changes nothing.
    if (!new_text || new_text->empty()) {
        cancel = 1;
        s.RenamePending = 0;
        return;
    }
    // The new name stays in the folder of the file the command was given
    // on, even when another row has become the current one meanwhile.
    s.CurrentFilePath = f.TargetPath.substr(0, f.TargetPath.size() - f.RenameOldName.size());
    f.RenameNewPath = s.CurrentFilePath + *new_text;
    std::string error;
    if (CheckNewFileName(*new_text, error) && RenameFile(f.TargetPath, f.RenameNewPath, error)) {
        s.RenamePending = 0;
        return;
    }
    ShowError(p, error, kRenameFailed);
    // The row keeps its old name while the user types another one.
    cancel = 1;
    list.StartLabelEdit();
}

void KestDel_Click(Program& p) {
    SharedState& s = p.state;
    MainForm& f = p.Form1;
    ListView& list = f.ListView1;
    const std::int32_t row = list.SelectedItem();
    std::string error;
    if (!HasRow(list, row)) {
        ShowError(p, ErrorText(ENOENT), kDeleteFailed);
        return;
    }
    s.CurrentFilePath = RowFolder(list, row);
    f.TargetPath = s.CurrentFilePath + list.RowText(row);
    if (p.services.MsgBox(list.RowText(row) + kDeleteQuestion, kYesNo, kQuestion) != kYes) return;
    if (!DeleteFile(f.TargetPath, error)) {
        ShowError(p, error, kDeleteFailed);
        return;
    }
    // Counts that did not match the rows (a list file of another origin)
    // stop at zero: no list has fewer files than none.
    s.ListedFileCount = std::max(s.ListedFileCount - 1, 0);
    // A cell that holds no number (a damaged list file) counts as 0 bytes:
    // the file is gone by then, and its row must go as well.
    const std::string cell = list.SubItem(row, kSizeColumn);
    if (!cell.empty() && cell.back() == '*') s.SameSizeHitCount = std::max(s.SameSizeHitCount - 1, 0);
    s.ListedTotalBytes = std::max(s.ListedTotalBytes - SizeOfCell(cell), 0.0);
    list.RemoveRow(row);
    s.StatusText = StatusCounts(s);
    f.Label3.SetCaption(s.StatusText);
}

}  // namespace kestrova
