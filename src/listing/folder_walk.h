#pragma once
// The walk through the folders of one folder row, one step per call, in the
// order the scan takes them: parent before children, subfolders by name,
// each real folder once. It goes from an open folder to its subfolder by
// name, so neither depth nor path length limits it, and a link back up
// cannot loop. Reading ahead on a slow file system it has the folders it
// will enter next listed on a request pool meanwhile, so many listings are
// under way at once; which folders it enters and in which order stays the
// same.
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "folder_step.h"
#include "identity_set.h"
#include "request_pool.h"

namespace kestrova {

// What the threads reading ahead for one walk share. It outlives an
// abandoned walk for as long as any of them is still in a request.
struct ReadAhead {
    explicit ReadAhead(FolderReading how);
    // Requests are slow (or are to be read as such): list ahead, look up in
    // small pieces.
    bool Slow() const { return reading.as_if_slow || pool.RequestsAreSlow(); }

    const FolderReading reading;
    std::atomic<bool> stop{false};
    RequestPool pool;
};

class FolderWalk {
public:
    // ahead: null when every folder is read in its turn.
    FolderWalk(WalkRequest request, std::shared_ptr<ReadAhead> ahead);
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // The next step; after End, End again.
    WalkStep Advance();

    struct Listed;
    struct Prefetch;

private:
    // What one folder on the current way down still needs.
    struct Level {
        std::shared_ptr<FolderHandle> handle;  // null while not needed
        FileIdentity identity;
        std::string name;         // within its parent
        std::size_t path_length;  // of path_ for this folder
        std::vector<std::string> subfolders;
        std::size_t next = 0;
        // Subfolders being listed ahead, by index; up to prefetch_next.
        std::vector<std::shared_ptr<Prefetch>> prefetched;
        std::size_t prefetch_next = 0;
    };

    int ListingAttributes() const;
    void SetPath(std::size_t parent_length, const std::string& name);
    Listed ReadSubfolder(Level& level, std::size_t index);
    WalkStep Enter(Listed listed, const std::string& name);
    WalkStep ClimbUp();
    void ListAhead();
    void DropPrefetched(Level& level, std::size_t from);
    static bool IsLevel(const FolderHandle& handle, const Level& level);
    FolderHandle ReopenByNames();

    WalkRequest request_;
    std::shared_ptr<ReadAhead> ahead_;
    bool started_ = false;
    std::string path_;  // of the folder being entered
    std::string error_;
    std::vector<Level> levels_;
    IdentitySet visited_;
    std::size_t listed_ahead_ = 0;  // prefetches not yet entered
};

}  // namespace kestrova
