#include "list_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <new>

#include "file_rows.h"
#include "icon_cache.h"
#include "icon_list.h"
#include "list_file_format.h"
#include "list_file_load.h"
#include "list_summary.h"
#include "platform/text/codepage.h"
#include "platform/text/file_text_stream.h"
#include "platform/text/file_text_writer.h"
#include "platform/system/files.h"
#include "platform/text/textformat.h"
#include "settings/unreadable_file.h"
#include "sorting.h"

namespace kestrova {
namespace {

void ResetIconList(Program& p) {
    p.Form1.ListView1.SetSmallIcons(nullptr);
    PrepareIconList(p);
}

// The header and a line per row, handed on a piece at a time.
bool ProduceListText(Program& p, FileTextWriter& out) {
    const ListView& list = p.Form1.ListView1;
    AppendListLine(out.Text(), {p.Form1.Label2.Caption(), "", "", "", ""});
    std::array<std::string, kListFields> scratch;
    auto cell = [&](std::int32_t i, int column) { return list.CellText(i, column, scratch[static_cast<size_t>(column)]); };
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        AppendListLine(out.Text(), {cell(i, 0), cell(i, 1), cell(i, 2), cell(i, 3), cell(i, 4)});
        if (!out.PieceDone()) return false;
    }
    return true;
}

void ShowLoadCount(Program& p) { p.Form3.Label3.SetCaption(FormatNumber(p.state.TotalFileCount, "###0")); }

void CountLoadedRow(Program& p) {
    SharedState& s = p.state;
    ++s.TotalFileCount;
    ++s.ProgressStep;
    if (s.TotalFileCount < 100) ShowLoadCount(p);
    if (s.ProgressStep == 100) {
        ShowLoadCount(p);
        s.ProgressStep = 0;
    }
}

void AddLoadedRow(Program& p, IconCache* icon_cache, const ListFieldViews& fields) {
    ListView& list = p.Form1.ListView1;
    const std::string_view name = fields[0], folder = fields[1], size_text = fields[2];
    int icon = 0;
    if (IsOn(p.state.ShowIcons)) {
        icon = icon_cache ? GetRowIcon(p, *icon_cache, folder, name) : SimpleIcon(size_text, kLoadedImage);
    }
    list.AddRow(name, {list.EncodeSubItem(folder), list.EncodeSubItem(size_text), list.EncodeSubItem(fields[3]),
                       list.EncodeSubItem(fields[4])},
                icon);
}

// Room for the rows a file of this size can hold at most, so that a list of
// millions is not copied again and again as it grows. Room that no row
// takes is never touched, and costs the system nothing.
void ReserveRowsFor(ListView& list, std::int64_t file_bytes) {
    constexpr std::int64_t kMostRows = std::int64_t{1} << 26;
    try {
        list.ReserveRows(static_cast<size_t>(list.Count() + std::min(file_bytes / kShortestRowLine, kMostRows)));
    } catch (const std::exception&) {
        // Without the room the rows just grow their way there.
    }
}

void AddInterruptedRow(Program& p) {
    ListRow row;
    row.text = kLoadInterruptedRow;
    row.sub[0] = kLoadInterruptedRow;
    if (IsOn(p.state.ShowIcons)) row.icon = kSameSizeImage;
    p.Form1.ListView1.AddRow(std::move(row));
}

// The rows of the text; false when the user interrupted.
bool LoadRows(Program& p, ListFileReader& reader, IconCache* icon_cache) {
    SharedState& s = p.state;
    for (;;) {
        if (reader.AtEnd()) {
            ShowLoadCount(p);
            return true;
        }
        p.services.DoEvents();
        if (IsOn(s.AbortRequested)) {
            AddInterruptedRow(p);
            return false;
        }
        // The setting is read for every line, as it may change while the
        // event loop runs.
        AddLoadedRow(p, icon_cache, IsOn(s.QuoteHandling) ? reader.NextQuotedRow() : reader.NextRow());
        CountLoadedRow(p);
    }
}

// Whether the rows shown go into the list file. A refresh still under way,
// a load not yet complete and a file that could not be read keep the file
// as it is; an interrupted list, and rows older than the file, are written
// only when the user says so.
bool ListFileToBeWritten(Program& p) {
    const SharedState& s = p.state;
    if (s.StartMode == kStartRefresh || IsOn(s.RefreshRunning) || IsOn(s.ListFileLoading) || IsOn(s.ListFileUnread)) {
        return false;
    }
    if (IsOn(s.AbortRequested) && p.services.MsgBox(kSaveInterruptedListQuestion, kYesNo, kQuestion) != kYes) return false;
    if (IsOn(s.ListFileChangedWhileLoading) &&
        p.services.MsgBox(s.ListFilePath + kListFileChangedQuestion, kYesNo, kQuestion) != kYes) {
        return false;
    }
    return true;
}

}  // namespace

std::optional<FailedSave> SaveListFile(Program& p) {
    SharedState& s = p.state;
    std::optional<FailedSave> failed;
    if (ListFileToBeWritten(p)) {
        ResetIconList(p);
        const ListSummary written = SummaryOfRows(p.Form1.ListView1, s);
        std::string error;
        const bool saved = WriteFileTextAtomically(
            s.ListFilePath, [&p](FileTextWriter& out) { return ProduceListText(p, out); }, error);
        if (saved) {
            s.ListOnDisk = written;
        } else {
            failed = FailedSave{s.ListFilePath, error};
        }
    }
    ResetIconList(p);
    p.Form1.ListView1.Clear();
    return failed;
}

void LoadListFile(Program& p) {
    SharedState& s = p.state;
    if (CheckFileAtStart(p, s.ListFilePath, s.ListFileUnread) != FileAtStart::Readable) return;
    const ListFileLoad load(p);
    FileTextStream file;
    std::unique_ptr<IconCache> icon_cache;
    // Rows that did not all arrive must not be saved over the ones that
    // could not be read.
    auto unread = [&](const std::string& reason) {
        s.ListFileUnread = 1;
        ReportUnreadableFile(p, s.ListFilePath, reason);
    };
    if (!file.Open(s.ListFilePath)) return unread(file.Error());
    ReserveRowsFor(p.Form1.ListView1, FileLength(s.ListFilePath).value_or(0));
    bool complete = false;
    try {
        ListFileReader reader(file);
        reader.ReadHeader();
        BuildStatusText(p);
        p.Form1.Label3.SetCaption(s.StatusText + s.RefreshStamp);
        ApplySortSettings(p, false);
        icon_cache = OpenIconCacheWhenUsed(p);
        complete = LoadRows(p, reader, icon_cache.get());
    } catch (const std::bad_alloc&) {
        p.Form1.ListView1.Clear();  // the memory it takes is what ran out
        if (icon_cache) icon_cache->CloseIconCache();
        return unread(ErrorText(ENOMEM));
    }
    if (icon_cache) icon_cache->CloseIconCache();
    if (file.Failed()) unread(file.Error());
    // After an interruption the list stays in file order, so the marker row
    // remains the last one.
    if (!complete) return;
    p.Form1.ListView1.SetAllSelected(false);
    p.Form1.ListView1.SetSorted(true);
}

}  // namespace kestrova
