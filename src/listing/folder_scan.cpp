#include "folder_scan.h"

#include "file_rows.h"
#include "platform/textformat.h"
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

// Adds the matching files of a folder that is open already; false when it
// cannot be read.
bool ScanOpenFolder(ScanContext& ctx, const std::string& folder, const FolderHandle& handle,
                    std::vector<DirEntry>* subfolders, bool include_hidden_folders) {
    Program& p = ctx.p;
    SharedState& s = p.state;
    const bool show_hidden = IsOn(s.ShowHiddenFiles);
    // One read of the folder gives the files and the subfolders, each with
    // its size and time from a single status call.
    const int attributes = kAttrDirectory | ((show_hidden || include_hidden_folders) ? kAttrHidden : 0);
    Listing listing = ListFolder(handle, attributes, "*");
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

// The walk both strategies share. It goes from an open folder to its
// subfolder by name, so neither depth nor path length limits it; it keeps
// each real folder once, so a link back up cannot loop.
class FolderWalk {
public:
    FolderWalk(ScanContext& ctx, bool include_hidden_folders) : ctx_(ctx), include_hidden_(include_hidden_folders) {}

    void Run(const std::string& row_folder) {
        Program& p = ctx_.p;
        path_ = ExpandBareDrive(row_folder);
        if (!Enter(OpenFolder(path_, error_), "")) return;
        while (!levels_.empty()) {
            p.services.DoEvents();
            if (Aborted(p)) return;
            Level& top = levels_.back();
            if (top.next == top.subfolders.size()) {
                ClimbUp();
                continue;
            }
            const std::string name = top.subfolders[top.next++].name;
            SetPath(top.path_length, name);
            FolderHandle child = OpenSubfolder(top.handle, name, error_);
            // A folder whose subfolders are all entered is not needed again;
            // deep below the first levels a folder is let go and found again
            // on the way up, so a walk never runs out of handles.
            const bool let_go = top.next == top.subfolders.size() || levels_.size() > kAnchoredLevels;
            if (Enter(std::move(child), name) && let_go) levels_[levels_.size() - 2].handle.Close();
        }
    }

private:
    // What one folder on the current way down still needs.
    struct Level {
        FolderHandle handle;  // closed while not needed
        FileIdentity identity;
        std::string name;          // within its parent
        std::size_t path_length;   // of path_ for this folder
        std::vector<DirEntry> subfolders;
        std::size_t next = 0;
    };
    static constexpr std::size_t kAnchoredLevels = 32;

    void SetPath(std::size_t parent_length, const std::string& name) {
        path_.resize(parent_length);
        if (path_.empty() || path_.back() != kPathSeparator) path_ += kPathSeparator;
        path_ += name;
    }

    // Scans the folder now at path_ and makes it the deepest level.
    bool Enter(FolderHandle handle, const std::string& name) {
        Program& p = ctx_.p;
        p.state.ScanFolder = path_;
        p.state.FolderFailed = 1;
        if (!handle.is_open()) {
            ReportCannotSearch(p, path_);
            return false;
        }
        Level level{std::move(handle), {}, name, path_.size(), {}, 0};
        if (auto id = level.handle.Identity()) level.identity = *id;
        // The row folder counts as visited, so a link back to it is not followed.
        if (levels_.empty()) ctx_.visited.insert({level.identity.device, level.identity.inode});
        std::vector<DirEntry> found;
        if (!ScanOpenFolder(ctx_, path_, level.handle, &found, include_hidden_)) return false;
        // Claim the children in name order, so of two ways into one real
        // folder the first by name wins.
        for (DirEntry& sub : found) {
            if (ctx_.visited.insert({sub.device, sub.inode}).second) level.subfolders.push_back(std::move(sub));
        }
        levels_.push_back(std::move(level));
        return true;
    }

    void ClimbUp() {
        Level done = std::move(levels_.back());
        levels_.pop_back();
        if (levels_.empty()) return;
        Level& parent = levels_.back();
        if (parent.handle.is_open() || parent.next == parent.subfolders.size()) return;
        // Through ".." unless the way down went through a link.
        FolderHandle up = OpenSubfolder(done.handle, "..", error_);
        if (!IsLevel(up, parent)) up = ReopenByNames();
        path_.resize(parent.path_length);
        if (!IsLevel(up, parent)) {
            ReportCannotSearch(ctx_.p, path_);
            parent.next = parent.subfolders.size();
            return;
        }
        parent.handle = std::move(up);
    }

    static bool IsLevel(const FolderHandle& handle, const Level& level) {
        return handle.is_open() && handle.Identity() == level.identity;
    }

    // The deepest level again, from the nearest open folder above it (or
    // from the row folder) by the names on the way down.
    FolderHandle ReopenByNames() {
        std::size_t from = levels_.size() - 1;
        while (from > 0 && !levels_[from - 1].handle.is_open()) --from;
        FolderHandle folder;
        if (from == 0) {
            folder = OpenFolder(path_.substr(0, levels_[0].path_length), error_);
            from = 1;
        } else {
            folder = OpenSubfolder(levels_[from - 1].handle, levels_[from].name, error_);
            ++from;
        }
        for (; from < levels_.size() && folder.is_open(); ++from) folder = OpenSubfolder(folder, levels_[from].name, error_);
        return folder;
    }

    ScanContext& ctx_;
    const bool include_hidden_;
    std::string path_;  // of the folder being entered
    std::string error_;
    std::vector<Level> levels_;
};

void Walk(ScanContext& ctx, const std::string& row_folder, bool include_hidden_folders) {
    FolderWalk(ctx, include_hidden_folders).Run(row_folder);
}

}  // namespace

std::string MakeDisplayFolder(const std::string& folder) { return ShownFolder(folder); }

bool ScanOneFolder(ScanContext& ctx, const std::string& requested, std::vector<DirEntry>* subfolders,
                   bool include_hidden_folders) {
    SharedState& s = ctx.p.state;
    const std::string folder = ExpandBareDrive(requested);
    s.ScanFolder = folder;
    s.FolderFailed = 1;
    std::string error;
    const FolderHandle handle = OpenFolder(folder, error);
    if (!handle.is_open()) {
        ReportCannotSearch(ctx.p, folder);
        return false;
    }
    return ScanOpenFolder(ctx, folder, handle, subfolders, include_hidden_folders);
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
