#pragma once
// What reading the folders of a folder row gives the scan: one step at a
// time, a folder with its matching files, or a climb back up.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/files.h"
#include "platform/model/services.h"  // LocalTime

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
    // Folder, once listed: the folder still open, so its files can be
    // looked up and the scan can tell whether it was deleted while it
    // waited. Shared with the walk, which may still be below it.
    std::shared_ptr<const FolderHandle> folder;
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

// How the folders of a refresh are read. Every way gives the same rows in
// the same order, with the same turns between them.
struct FolderReading {
    // Ahead of the rows, on threads of their own; off, each folder is read
    // when its turn comes, on the caller's thread.
    bool read_ahead = true;
    // Ahead, read from the first folder on as a slow network share is
    // read: many folders listed at once and files looked up in small
    // pieces, by a pool that has grown. Otherwise that begins only once
    // requests are found slow.
    bool as_if_slow = false;
    // Ahead, called on a reading thread before each folder is opened, with
    // its path: a test holds a folder there, as a share that does not answer.
    std::function<void(const std::string& path)> before_opening;
    // Ahead, called on a reading thread once a folder is listed and before
    // its files' status is looked up, with its path: a test removes a file
    // there, as another program may at that moment.
    std::function<void(const std::string& path)> after_listing;
};

}  // namespace kestrova
