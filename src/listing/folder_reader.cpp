#include "folder_reader.h"

#include <atomic>
#include <set>
#include <utility>

#include "platform/system/files.h"

namespace kestrova {
namespace {

// How far each thread may run ahead: enough to ride over a slow folder,
// little enough that a tree of millions is not held twice.
constexpr std::size_t kAheadFiles = 16384;
constexpr std::size_t kAheadSteps = 128;  // each holds its folder open

// Files made in one go share their time, so the last conversion is kept.
class LocalTimes {
public:
    const LocalTime& Of(std::int64_t seconds) {
        if (!valid_ || seconds != seconds_) {
            time_ = ToLocalTime(seconds);
            seconds_ = seconds;
            valid_ = true;
        }
        return time_;
    }

private:
    bool valid_ = false;
    std::int64_t seconds_ = 0;
    LocalTime time_;
};

// Looks up the files in [begin, end) that the listing left without their
// status; a file gone meanwhile is marked so, as a listing made just then
// would have left it out. Stops when the reader is being stopped: on a slow
// network folder an interrupt then waits for one file, not a whole folder.
void LookUpFiles(WalkStep& step, std::size_t begin, std::size_t end, const std::atomic<bool>& stopping) {
    for (std::size_t i = begin; i < end; ++i) {
        if (stopping.load(std::memory_order_relaxed)) return;
        FoundFile& file = step.files[i];
        if (file.looked_up) continue;
        const auto status = LookUpFileStatus(step.folder, step.names.data() + file.name_offset);
        file.looked_up = true;
        file.gone = !status;
        if (!status) continue;
        file.size = status->size;
        file.mtime_seconds = status->mtime_seconds;
    }
}

// Drops the files gone meanwhile and gives the others their local time.
void FinishFiles(WalkStep& step, LocalTimes& times) {
    std::size_t kept = 0;
    for (FoundFile& file : step.files) {
        if (file.gone) continue;
        file.modified = times.Of(file.mtime_seconds);
        step.files[kept++] = file;
    }
    step.files.resize(kept);
}

// The part of a folder's files the listing thread looks up itself before
// handing the folder on: reading and ordering the folder costs it about half
// of what looking up all its files does, so this share evens out the two
// threads.
std::size_t ListersShare(const WalkStep& step) { return step.files.size() / 4; }

}  // namespace

// The walk itself, one step per call. It goes from an open folder to its
// subfolder by name, so neither depth nor path length limits it; it keeps
// each real folder once, so a link back up cannot loop.
class FolderReader::Walk {
public:
    explicit Walk(WalkRequest request) : request_(std::move(request)) {}

    WalkStep Advance() {
        if (!started_) {
            started_ = true;
            path_ = request_.row_folder;
            return Enter(OpenFolder(path_, error_), "");
        }
        if (levels_.empty()) return {};
        Level& top = levels_.back();
        if (top.next == top.subfolders.size()) return ClimbUp();
        const std::string name = top.subfolders[top.next++];
        SetPath(top.path_length, name);
        FolderHandle child = OpenSubfolder(top.handle, name, error_);
        // A folder whose subfolders are all entered is not needed again;
        // deep below the first levels a folder is let go and found again on
        // the way up, so a walk never runs out of handles.
        const bool let_go = top.next == top.subfolders.size() || levels_.size() > kAnchoredLevels;
        WalkStep step = Enter(std::move(child), name);
        if (step.listed && let_go && levels_.size() >= 2) levels_[levels_.size() - 2].handle.Close();
        return step;
    }

private:
    // What one folder on the current way down still needs.
    struct Level {
        FolderHandle handle;  // closed while not needed
        FileIdentity identity;
        std::string name;         // within its parent
        std::size_t path_length;  // of path_ for this folder
        std::vector<std::string> subfolders;
        std::size_t next = 0;
    };
    static constexpr std::size_t kAnchoredLevels = 32;

    void SetPath(std::size_t parent_length, const std::string& name) {
        path_.resize(parent_length);
        if (path_.empty() || path_.back() != kPathSeparator) path_ += kPathSeparator;
        path_ += name;
    }

    // Lists the folder now at path_ and, when the walk goes below it, makes
    // it the deepest level.
    WalkStep Enter(FolderHandle handle, const std::string& name) {
        WalkStep step;
        step.kind = WalkStep::Kind::Folder;
        step.path = path_;
        if (!handle.is_open()) return step;
        step.opened = true;
        Level level{std::move(handle), {}, name, path_.size(), {}, 0};
        if (auto id = level.handle.Identity()) level.identity = *id;
        // The row folder counts as visited, so a link back to it is not followed.
        if (levels_.empty()) visited_.insert({level.identity.device, level.identity.inode});
        // One read of the folder gives the files and the subfolders; the
        // files' status is looked up later, on the other thread.
        const bool hidden_entries = request_.show_hidden_files || request_.include_hidden_folders;
        Listing listing = ListFolder(level.handle, kAttrDirectory | (hidden_entries ? kAttrHidden : 0), "*",
                                     EntryStatus::Later);
        if (!listing.ok) return step;
        step.listed = true;
        step.files.reserve(listing.entries.size());
        for (DirEntry& entry : listing.entries) {
            if (entry.is_directory) {
                // Claimed in name order, so of two ways into one real folder
                // the first by name wins.
                if (request_.subfolders && (!entry.is_hidden || request_.include_hidden_folders) &&
                    visited_.insert({entry.device, entry.inode}).second) {
                    level.subfolders.push_back(std::move(entry.name));
                }
                continue;
            }
            if (entry.name.empty() || (entry.is_hidden && !request_.show_hidden_files) ||
                !MatchesAnyPattern(entry.name, request_.pattern)) {
                continue;
            }
            FoundFile file;
            file.name_offset = static_cast<std::uint32_t>(step.names.size());
            file.name_size = static_cast<std::uint32_t>(entry.name.size());
            file.size = entry.size;
            file.mtime_seconds = entry.mtime_seconds;
            file.looked_up = entry.status_known;
            step.names += entry.name;
            step.names += '\0';
            step.files.push_back(file);
        }
        step.folder = level.handle.Duplicate();
        if (request_.subfolders) {
            levels_.push_back(std::move(level));
            step.depth = levels_.size();
        }
        return step;
    }

    WalkStep ClimbUp() {
        WalkStep step;
        step.kind = WalkStep::Kind::Climb;
        Level done = std::move(levels_.back());
        levels_.pop_back();
        step.depth = levels_.size();
        if (levels_.empty()) return step;
        Level& parent = levels_.back();
        if (parent.handle.is_open() || parent.next == parent.subfolders.size()) return step;
        // Through ".." unless the way down went through a link.
        FolderHandle up = OpenSubfolder(done.handle, "..", error_);
        if (!IsLevel(up, parent)) up = ReopenByNames();
        path_.resize(parent.path_length);
        if (!IsLevel(up, parent)) {
            step.lost_way = true;
            step.path = path_;
            parent.next = parent.subfolders.size();
            return step;
        }
        parent.handle = std::move(up);
        return step;
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

    WalkRequest request_;
    bool started_ = false;
    std::string path_;  // of the folder being entered
    std::string error_;
    std::vector<Level> levels_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> visited_;
};

FolderReader::FolderReader(WalkRequest request, bool threaded)
    : walk_(std::make_unique<Walk>(std::move(request))),
      threaded_(threaded),
      listed_(kAheadFiles, kAheadSteps),
      ready_(kAheadFiles, kAheadSteps) {
    if (!threaded_) return;
    lister_ = std::thread([this] { ListAhead(); });
    looker_ = std::thread([this] { LookUpAhead(); });
}

FolderReader::~FolderReader() {
    if (!threaded_) return;
    stopping_ = true;
    listed_.Stop();
    ready_.Stop();
    lister_.join();
    looker_.join();
}

void FolderReader::ListAhead() {
    while (true) {
        WalkStep step = walk_->Advance();
        LookUpFiles(step, 0, ListersShare(step), stopping_);
        const bool last = step.kind == WalkStep::Kind::End;
        if (!listed_.Push(std::move(step)) || last) return;
    }
}

void FolderReader::LookUpAhead() {
    LocalTimes times;
    while (auto step = listed_.Take()) {
        LookUpFiles(*step, ListersShare(*step), step->files.size(), stopping_);
        FinishFiles(*step, times);
        const bool last = step->kind == WalkStep::Kind::End;
        if (!ready_.Push(std::move(*step)) || last) return;
    }
}

WalkStep FolderReader::Next() {
    if (ended_) return {};
    WalkStep step;
    if (threaded_) {
        auto ready = ready_.Take();
        if (ready) step = std::move(*ready);
    } else {
        step = walk_->Advance();
        LocalTimes times;
        LookUpFiles(step, 0, step.files.size(), stopping_);
        FinishFiles(step, times);
    }
    ended_ = step.kind == WalkStep::Kind::End;
    return step;
}

}  // namespace kestrova
