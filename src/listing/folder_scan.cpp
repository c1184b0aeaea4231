#include "folder_scan.h"

#include <optional>

#include "file_rows.h"
#include "folder_reader.h"
#include "platform/text/textformat.h"
#include "sorting.h"

namespace kestrova {
namespace {

bool Aborted(const Program& p) { return IsOn(p.state.AbortRequested); }

// A bare drive ("D:") means its root.
std::string ExpandBareDrive(const std::string& folder) {
    if (folder.size() == 2 && folder[1] == ':') return folder + kPathSeparator;
    return folder;
}

void ReportCannotSearch(Program& p, const std::string& folder) { p.Form1.Label3.SetCaption(folder + kCannotSearch); }

// Adds the matching files of a folder the reader has entered; false when it
// could not be opened or read.
bool ScanReadFolder(ScanContext& ctx, const WalkStep& folder) {
    Program& p = ctx.p;
    SharedState& s = p.state;
    s.ScanFolder = folder.path;
    s.FolderFailed = 1;
    if (!folder.opened || !folder.listed) {
        ReportCannotSearch(p, folder.path);
        return false;
    }
    s.FolderFailed = 0;
    p.Form1.Dir1.SetPath(folder.path);
    p.Form1.File1.SetPath(folder.path);
    p.Form1.Label3.SetCaption(folder.path + kSearching);
    s.DisplayFolder = MakeDisplayFolder(folder.path);

    ApplySortSettings(p, false);
    const FolderOfRows row_folder = MakeFolderOfRows(p, s.DisplayFolder, s.FolderRowIndex);
    for (const FoundFile& file : folder.files) {
        p.services.DoEvents();
        if (Aborted(p)) break;
        AddFileRow(ctx, folder.Name(file), row_folder, static_cast<double>(file.size), file.modified);
        p.services.DoEvents();
        if (Aborted(p)) break;
    }
    p.Form1.ListView1.SetSorted(true);
    p.services.DoEvents();
    if (!Aborted(p)) UpdateRowSummary(p);
    return true;
}

// Waits until `ready` holds, keeping the windows alive: a slow folder
// neither freezes them nor holds up an interrupt. False when the user
// interrupted meanwhile; what the reader has in flight is then abandoned
// with it.
template <typename Ready>
bool AwaitReader(Program& p, FolderReader& reader, Ready ready) {
    while (!ready()) {
        p.services.WaitForWork(reader.Ready());
        if (Aborted(p)) return false;
    }
    return true;
}

std::optional<WalkStep> NextStep(Program& p, FolderReader& reader) {
    std::optional<WalkStep> step;
    if (!AwaitReader(p, reader, [&] { return (step = reader.TryNext()).has_value(); })) return std::nullopt;
    return step;
}

// A folder read ahead and deleted before its turn came is a folder that
// could not be opened, as it would have been had it been read just now; the
// steps the reader took below it are passed over. False when the user
// interrupted meanwhile.
bool PassOverIfDeleted(Program& p, FolderReader& reader, WalkStep& step) {
    if (!step.listed) return true;
    const auto check = reader.CheckRemoved(step);
    if (!AwaitReader(p, reader, [&] { return check->answered.load(std::memory_order_acquire); })) return false;
    if (!check->removed) return true;
    step.listed = false;
    step.opened = false;
    if (step.depth == 0) return true;
    while (true) {
        const std::optional<WalkStep> next = NextStep(p, reader);
        if (!next) return false;
        if (next->kind == WalkStep::Kind::End) return true;
        if (next->kind == WalkStep::Kind::Climb && next->depth == step.depth - 1) return true;
    }
}

// The scan of one folder row: the reader's steps taken in their order, with
// a turn of the event loop before each step after the first.
void Scan(ScanContext& ctx, const std::string& row_folder, bool subfolders, bool include_hidden_folders) {
    Program& p = ctx.p;
    WalkRequest request;
    request.row_folder = ExpandBareDrive(row_folder);
    request.subfolders = subfolders;
    request.include_hidden_folders = include_hidden_folders;
    request.show_hidden_files = IsOn(p.state.ShowHiddenFiles);
    request.pattern = p.Form1.File1.Pattern();
    FolderReader reader(std::move(request), ctx.reading);
    std::optional<WalkStep> step = NextStep(p, reader);
    if (!step || !PassOverIfDeleted(p, reader, *step) || !ScanReadFolder(ctx, *step)) return;
    while (true) {
        step = NextStep(p, reader);
        if (!step || step->kind == WalkStep::Kind::End) return;
        p.services.DoEvents();
        if (Aborted(p)) return;
        if (step->kind == WalkStep::Kind::Climb) {
            if (step->lost_way) ReportCannotSearch(p, step->path);
            continue;
        }
        if (!PassOverIfDeleted(p, reader, *step)) return;
        ScanReadFolder(ctx, *step);
    }
}

}  // namespace

std::string MakeDisplayFolder(const std::string& folder) { return ShownFolder(folder); }

void ScanOneFolder(ScanContext& ctx, const std::string& folder) { Scan(ctx, folder, false, false); }

void WalkByListing(ScanContext& ctx, const std::string& row_folder) { Scan(ctx, row_folder, true, false); }

void WalkByAttributes(ScanContext& ctx, const std::string& row_folder) { Scan(ctx, row_folder, true, true); }

void ScanFolderRow(ScanContext& ctx) {
    SharedState& s = ctx.p.state;
    const DisplayEntry& row = s.DisplayEntries[s.FolderRowIndex];
    if (row.IncludeSubfolders != 1) {
        ScanOneFolder(ctx, row.Folder);
    } else if (IsOn(s.ShowHiddenFiles) && !IsNetworkPath(row.Folder)) {
        WalkByAttributes(ctx, row.Folder);
    } else {
        WalkByListing(ctx, row.Folder);
    }
}

}  // namespace kestrova
