#pragma once
// The folders of one folder row, read ahead of the rows made from them. One
// thread opens and lists the folders in exactly the order the scan takes
// them (parent before children, subfolders by name, each real folder once);
// a second looks up the size and local time of the files the pattern keeps,
// folder by folder in the same order, and hands each folder over finished.
// Looking up a file costs about as much as everything else the listing
// does, so the two share the work. The threads touch no window and no shared
// state, so everything the user sees stays on the caller's side and in the
// caller's order.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/system/files.h"
#include "platform/model/services.h"  // LocalTime
#include "step_queue.h"

namespace kestrova {

struct FoundFile {
    std::uint32_t name_offset = 0;
    std::uint32_t name_size = 0;
    std::int64_t size = 0;
    std::int64_t mtime_seconds = 0;
    LocalTime modified;
    bool looked_up = false;  // size and times are known
    bool gone = false;       // the file went away before it was looked up
};

// One turn of the walk, as the scan replays it.
struct WalkStep {
    enum class Kind {
        Folder,  // a folder was entered (or could not be)
        Climb,   // the walk went back up one level
        End,     // no folder is left
    };
    Kind kind = Kind::End;
    // Folder: the folder. Climb: the folder the walk could not find again
    // on its way back up, when lost_way.
    std::string path;
    bool opened = false;
    bool listed = false;
    bool lost_way = false;
    // Folder, once listed: the folder still open, so the scan can tell
    // whether it was deleted while it waited.
    FolderHandle folder;
    // Folder: its level below the row folder's (1) when the walk goes below
    // it, else 0. Climb: the level the walk is back on.
    std::size_t depth = 0;
    // The folder's matching files in name order; their names one after
    // another, each ended by a NUL for the system's calls, so a folder costs
    // two allocations, not one per file.
    std::vector<FoundFile> files;
    std::string names;

    std::string_view Name(const FoundFile& file) const { return {names.data() + file.name_offset, file.name_size}; }
};

struct WalkRequest {
    std::string row_folder;
    bool subfolders = false;              // false: the row folder alone
    bool include_hidden_folders = false;  // the attribute walk enters them
    bool show_hidden_files = false;
    std::string pattern;  // ";"-separated wildcards
};

class FolderReader {
public:
    // threaded: the folders are read on a thread of their own, ahead of the
    // caller; otherwise each step is read when the caller asks for it.
    FolderReader(WalkRequest request, bool threaded);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next step; after End, End again.
    WalkStep Next();

    class Walk;

private:
    void ListAhead();
    void LookUpAhead();

    std::unique_ptr<Walk> walk_;
    bool threaded_ = false;
    bool ended_ = false;
    // Listed steps on their way to the look-up, looked-up ones to the caller.
    StepQueue<WalkStep> listed_;
    StepQueue<WalkStep> ready_;
    std::thread lister_;
    std::thread looker_;
    std::atomic<bool> stopping_{false};
};

}  // namespace kestrova
