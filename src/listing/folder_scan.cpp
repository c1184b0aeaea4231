#include "folder_scan.h"

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

// A folder read ahead and deleted before its turn came is a folder that
// could not be opened, as it would have been had it been read just now; the
// steps the reader took below it are passed over.
bool DeletedMeanwhile(FolderReader& reader, WalkStep& step) {
    if (!step.listed || !step.folder.Removed()) return false;
    step.listed = false;
    step.opened = false;
    if (step.depth == 0) return true;
    for (WalkStep next = reader.Next(); next.kind != WalkStep::Kind::End; next = reader.Next()) {
        if (next.kind == WalkStep::Kind::Climb && next.depth == step.depth - 1) break;
    }
    return true;
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
    FolderReader reader(std::move(request), ctx.reading.read_ahead);
    WalkStep step = reader.Next();
    DeletedMeanwhile(reader, step);
    if (!ScanReadFolder(ctx, step)) return;
    while (true) {
        step = reader.Next();
        if (step.kind == WalkStep::Kind::End) return;
        p.services.DoEvents();
        if (Aborted(p)) return;
        if (step.kind == WalkStep::Kind::Climb) {
            if (step.lost_way) ReportCannotSearch(p, step.path);
            continue;
        }
        DeletedMeanwhile(reader, step);
        ScanReadFolder(ctx, step);
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
