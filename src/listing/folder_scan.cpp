#include "folder_scan.h"

#include "file_rows.h"
#include "platform/textformat.h"
#include "sorting.h"

namespace kestrova {
namespace {


bool Aborted(const Program& p) { return IsOn(p.state.AbortRequested); }

std::string ChildFolder(const std::string& parent, const std::string& name) { return WithTrailingSeparator(parent) + name; }

// A bare drive ("D:") means its root.
std::string ExpandBareDrive(const std::string& folder) {
    if (folder.size() == 2 && folder[1] == ':') return folder + kPathSeparator;
    return folder;
}

void ReportCannotSearch(Program& p, const std::string& folder) { p.Form1.Label3.SetCaption(folder + kCannotSearch); }

// The walk both strategies share: an explicit stack, so any depth works,
// and each real folder once, so a link back up cannot loop.
void Walk(ScanContext& ctx, const std::string& row_folder, bool include_hidden_folders) {
    Program& p = ctx.p;
    // The row folder counts as visited, so a link back to it is not followed.
    if (auto self = FolderIdentity(row_folder)) ctx.visited.insert({self->device, self->inode});
    std::vector<std::string> pending{row_folder};
    while (!pending.empty()) {
        p.services.DoEvents();
        if (Aborted(p)) return;
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        std::vector<DirEntry> subfolders;
        if (!ScanOneFolder(ctx, folder, &subfolders, include_hidden_folders)) continue;
        // Claim the children in name order, so of two ways into one real
        // folder the first by name wins; then stack them to pop in that order.
        std::vector<std::string> children;
        for (const DirEntry& sub : subfolders) {
            if (ctx.visited.insert({sub.device, sub.inode}).second) children.push_back(ChildFolder(folder, sub.name));
        }
        pending.insert(pending.end(), std::make_move_iterator(children.rbegin()), std::make_move_iterator(children.rend()));
    }
}

}  // namespace

std::string MakeDisplayFolder(const std::string& folder) {
#ifdef _WIN32
    if (folder.size() <= 3 && !folder.empty() && folder.back() == '\\') return folder.substr(0, 2);
#else
    if (folder == "/") return folder;
#endif
    std::string shown = folder;
    while (shown.size() > 1 && shown.back() == kPathSeparator) shown.pop_back();
    return shown;
}

bool ScanOneFolder(ScanContext& ctx, const std::string& requested, std::vector<DirEntry>* subfolders,
                   bool include_hidden_folders) {
    Program& p = ctx.p;
    SharedState& s = p.state;
    const std::string folder = ExpandBareDrive(requested);
    s.ScanFolder = folder;
    const bool show_hidden = IsOn(s.ShowHiddenFiles);
    // One read of the folder gives the files and the subfolders, each with
    // its size and time from a single status call.
    s.FolderFailed = 1;
    const int attributes = kAttrDirectory | ((show_hidden || include_hidden_folders) ? kAttrHidden : 0);
    Listing listing = ListFolder(folder, attributes, "*");
    if (!listing.ok) {
        ReportCannotSearch(p, folder);
        return false;
    }
    s.FolderFailed = 0;
    p.Form1.Dir1.SetPath(folder);
    p.Form1.File1.SetPath(folder);
    p.Form1.Label3.SetCaption(folder + kSearching);
    s.DisplayFolder = MakeDisplayFolder(folder);

    ApplySortSettings(p, false);
    const std::string& pattern = p.Form1.File1.Pattern();
    for (const DirEntry& entry : listing.entries) {
        if (entry.is_directory) {
            if (subfolders && (!entry.is_hidden || include_hidden_folders)) subfolders->push_back(entry);
            continue;
        }
        if (entry.name.empty() || (entry.is_hidden && !show_hidden) || !MatchesAnyPattern(entry.name, pattern)) continue;
        p.services.DoEvents();
        if (Aborted(p)) break;
        AddFileRow(ctx, entry.name, s.DisplayFolder, s.FolderRowIndex, static_cast<double>(entry.size), entry.mtime_seconds);
        p.services.DoEvents();
        if (Aborted(p)) break;
    }
    p.Form1.ListView1.SetSorted(true);
    p.services.DoEvents();
    if (!Aborted(p)) UpdateRowSummary(p);
    return true;
}

void WalkByListing(ScanContext& ctx, const std::string& row_folder) { Walk(ctx, row_folder, false); }

void WalkByAttributes(ScanContext& ctx, const std::string& row_folder) { Walk(ctx, row_folder, true); }

void ScanFolderRow(ScanContext& ctx) {
    SharedState& s = ctx.p.state;
    const DisplayEntry& row = s.DisplayEntries[s.FolderRowIndex];
    ctx.visited.clear();
    if (row.IncludeSubfolders != 1) {
        ScanOneFolder(ctx, row.Folder);
    } else if (IsOn(s.ShowHiddenFiles) && !IsNetworkPath(row.Folder)) {
        WalkByAttributes(ctx, row.Folder);
    } else {
        WalkByListing(ctx, row.Folder);
    }
}

}  // namespace kestrova
