#include "folder_walk.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace kestrova {
namespace {

// Folders listed ahead of the walk on a slow file system: enough to keep
// many requests in flight, few enough that only so many folders are held
// open for it.
constexpr std::size_t kListedAhead = 64;
// The deepest levels only: their folders come next.
constexpr std::size_t kLevelsListedAhead = 8;
// Below the first levels a folder is let go once the walk is below it, and
// found again on the way up, so a walk never runs out of handles.
constexpr std::size_t kAnchoredLevels = 32;
// Requests in flight at most, when the file system answers slowly; and the
// pool's threads when it is read as slow from the start.
constexpr std::size_t kMostWorkers = 32;
constexpr std::size_t kGrownWorkers = 8;

const FolderHandle& HandleOf(const std::shared_ptr<FolderHandle>& handle) {
    static const FolderHandle closed;
    return handle ? *handle : closed;
}

std::string JoinedPath(std::string folder, const std::string& name) {
    if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
    return folder + name;
}

}  // namespace

ReadAhead::ReadAhead(FolderReading how)
    : reading(std::move(how)), pool(reading.as_if_slow ? kGrownWorkers : 1, kMostWorkers) {}

// A folder opened and listed.
struct FolderWalk::Listed {
    std::shared_ptr<FolderHandle> handle;  // null when it could not be opened
    Listing listing;
};

// A subfolder listed ahead on the pool, or by the walk itself when its turn
// comes before a worker took it.
struct FolderWalk::Prefetch {
    enum class State { Queued, Running, Done };
    std::shared_ptr<FolderHandle> parent;  // held until it is opened
    std::string name;
    std::string path;
    std::mutex mutex;
    std::condition_variable done;
    State state = State::Queued;
    Listed listed;
};

namespace {

// Opens a folder (by name from its parent, or by its path) and lists it as
// the walk wants it: one read gives the files and the subfolders, and the
// files' status is looked up later, on other threads. With `reading`, the
// requests are timed: slow tells whether they had to wait.
FolderWalk::Listed OpenAndList(const FolderHandle* parent, const std::string& name, const std::string& path,
                               int attributes, const FolderReading* reading, bool& slow) {
    if (reading && reading->before_opening) reading->before_opening(path);
    std::optional<RequestWatch> watch;
    if (reading) watch.emplace();
    std::string error;
    FolderWalk::Listed listed;
    FolderHandle handle = parent ? OpenSubfolder(*parent, name, error) : OpenFolder(path, error);
    std::size_t requests = 1;
    if (handle.is_open()) {
        listed.listing = ListFolder(handle, attributes, "*", EntryStatus::Later);
        if (reading && reading->after_listing) reading->after_listing(path);
        listed.handle = std::make_shared<FolderHandle>(std::move(handle));
        // Reading the folder, and one status call for each entry not left
        // for later.
        requests += 3 + static_cast<std::size_t>(std::count_if(listed.listing.entries.begin(),
                                                                listed.listing.entries.end(),
                                                                [](const DirEntry& e) { return e.status_known; }));
    }
    slow = watch && watch->Slow(requests);
    return listed;
}

}  // namespace

FolderWalk::FolderWalk(WalkRequest request, std::shared_ptr<ReadAhead> ahead)
    : request_(std::move(request)), ahead_(std::move(ahead)) {}

FolderWalk::~FolderWalk() = default;

WalkStep FolderWalk::Advance() {
    WalkStep step;
    if (!started_) {
        started_ = true;
        path_ = request_.row_folder;
        bool slow = false;
        step = Enter(OpenAndList(nullptr, "", path_, ListingAttributes(), ahead_ ? &ahead_->reading : nullptr, slow), "");
        if (ahead_) ahead_->pool.Note(slow);
    } else if (levels_.empty()) {
        return step;
    } else if (levels_.back().next == levels_.back().subfolders.size()) {
        step = ClimbUp();
    } else {
        Level& top = levels_.back();
        const std::size_t index = top.next++;
        const std::string name = top.subfolders[index];
        SetPath(top.path_length, name);
        Listed listed = ReadSubfolder(top, index);
        // A folder whose subfolders are all entered is not needed again.
        const bool let_go = top.next == top.subfolders.size() || levels_.size() > kAnchoredLevels;
        step = Enter(std::move(listed), name);
        if (step.listed && let_go && levels_.size() >= 2) levels_[levels_.size() - 2].handle.reset();
    }
    ListAhead();
    return step;
}

int FolderWalk::ListingAttributes() const {
    const bool hidden_entries = request_.show_hidden_files || request_.include_hidden_folders;
    return kAttrDirectory | (hidden_entries ? kAttrHidden : 0);
}

void FolderWalk::SetPath(std::size_t parent_length, const std::string& name) {
    path_.resize(parent_length);
    path_ = JoinedPath(std::move(path_), name);
}

FolderWalk::Listed FolderWalk::ReadSubfolder(Level& level, std::size_t index) {
    std::shared_ptr<Prefetch> prefetch;
    if (index < level.prefetched.size()) prefetch = std::move(level.prefetched[index]);
    if (prefetch) {
        --listed_ahead_;
        std::unique_lock lock(prefetch->mutex);
        prefetch->done.wait(lock, [&] { return prefetch->state != Prefetch::State::Running; });
        if (prefetch->state == Prefetch::State::Done) return std::move(prefetch->listed);
        // Still queued: read it now rather than wait for a worker.
        prefetch->state = Prefetch::State::Running;
    }
    bool slow = false;
    Listed listed = OpenAndList(&HandleOf(level.handle), level.subfolders[index], path_, ListingAttributes(),
                                ahead_ ? &ahead_->reading : nullptr, slow);
    if (ahead_) ahead_->pool.Note(slow);
    return listed;
}

// Lists the folder now at path_ and, when the walk goes below it, makes it
// the deepest level.
WalkStep FolderWalk::Enter(Listed listed, const std::string& name) {
    WalkStep step;
    step.kind = WalkStep::Kind::Folder;
    step.path = path_;
    if (!listed.handle) return step;
    step.opened = true;
    Level level{std::move(listed.handle), listed.listing.identity, name, path_.size(), {}, 0, {}, 0};
    // The row folder counts as visited, so a link back to it is not followed.
    if (levels_.empty()) visited_.Insert(level.identity);
    if (!listed.listing.ok) return step;
    step.listed = true;
    step.files.reserve(listed.listing.entries.size());
    for (DirEntry& entry : listed.listing.entries) {
        if (entry.is_directory) {
            // Claimed in name order, so of two ways into one real folder
            // the first by name wins.
            if (request_.subfolders && (!entry.is_hidden || request_.include_hidden_folders) &&
                visited_.Insert({entry.device, entry.inode})) {
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
    step.folder = level.handle;
    if (request_.subfolders) {
        levels_.push_back(std::move(level));
        step.depth = levels_.size();
    }
    return step;
}

WalkStep FolderWalk::ClimbUp() {
    WalkStep step;
    step.kind = WalkStep::Kind::Climb;
    Level done = std::move(levels_.back());
    levels_.pop_back();
    step.depth = levels_.size();
    if (levels_.empty()) return step;
    Level& parent = levels_.back();
    if (parent.handle || parent.next == parent.subfolders.size()) return step;
    // Through ".." unless the way down went through a link.
    FolderHandle up = OpenSubfolder(HandleOf(done.handle), "..", error_);
    if (!IsLevel(up, parent)) up = ReopenByNames();
    path_.resize(parent.path_length);
    if (!IsLevel(up, parent)) {
        step.lost_way = true;
        step.path = path_;
        DropPrefetched(parent, parent.next);
        parent.next = parent.subfolders.size();
        return step;
    }
    parent.handle = std::make_shared<FolderHandle>(std::move(up));
    return step;
}

bool FolderWalk::IsLevel(const FolderHandle& handle, const Level& level) {
    return handle.is_open() && handle.Identity() == level.identity;
}

// The deepest level again, from the nearest open folder above it (or from
// the row folder) by the names on the way down.
FolderHandle FolderWalk::ReopenByNames() {
    std::size_t from = levels_.size() - 1;
    while (from > 0 && !levels_[from - 1].handle) --from;
    FolderHandle folder;
    if (from == 0) {
        folder = OpenFolder(path_.substr(0, levels_[0].path_length), error_);
        from = 1;
    } else {
        folder = OpenSubfolder(*levels_[from - 1].handle, levels_[from].name, error_);
        ++from;
    }
    for (; from < levels_.size() && folder.is_open(); ++from) folder = OpenSubfolder(folder, levels_[from].name, error_);
    return folder;
}

// Has the next folders of the deepest levels, in the order the walk will
// enter them, listed on the pool while requests are slow.
void FolderWalk::ListAhead() {
    if (!ahead_ || !ahead_->Slow()) return;
    const int attributes = ListingAttributes();
    std::size_t looked = 0;
    for (auto level = levels_.rbegin(); level != levels_.rend() && looked < kLevelsListedAhead; ++level, ++looked) {
        if (!level->handle) continue;  // let go: listed when the walk is back
        level->prefetch_next = std::max(level->prefetch_next, level->next);
        level->prefetched.resize(level->subfolders.size());
        for (; level->prefetch_next < level->subfolders.size(); ++level->prefetch_next) {
            if (listed_ahead_ >= kListedAhead) return;
            auto prefetch = std::make_shared<Prefetch>();
            prefetch->parent = level->handle;
            prefetch->name = level->subfolders[level->prefetch_next];
            prefetch->path = JoinedPath(path_.substr(0, level->path_length), prefetch->name);
            level->prefetched[level->prefetch_next] = prefetch;
            ++listed_ahead_;
            ahead_->pool.Submit([ahead = ahead_, prefetch, attributes] {
                {
                    std::lock_guard lock(prefetch->mutex);
                    if (prefetch->state != Prefetch::State::Queued || ahead->stop) return false;
                    prefetch->state = Prefetch::State::Running;
                }
                bool slow = false;
                Listed listed = OpenAndList(prefetch->parent.get(), prefetch->name, prefetch->path, attributes,
                                            &ahead->reading, slow);
                {
                    std::lock_guard lock(prefetch->mutex);
                    prefetch->listed = std::move(listed);
                    prefetch->state = Prefetch::State::Done;
                    prefetch->parent.reset();
                }
                prefetch->done.notify_all();
                return slow;
            });
        }
    }
}

void FolderWalk::DropPrefetched(Level& level, std::size_t from) {
    for (std::size_t i = from; i < level.prefetched.size(); ++i) {
        if (level.prefetched[i]) --listed_ahead_;
        level.prefetched[i].reset();
    }
}

}  // namespace kestrova
