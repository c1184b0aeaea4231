#pragma once
// A load of the list file, from its start to its end: the rows are not all
// there until it ends, so nothing may write them over the file meanwhile;
// and a file that another program changed or replaced while it was read
// holds rows the list may lack, so they are not written over it unasked.
#include <optional>
#include <string>

#include "core/program.h"
#include "platform/system/file_stamp.h"
#include "platform/system/files.h"

namespace kestrova {

// Which version of a file is under a name: its size and time, and which
// file it is.
struct FileVersion {
    std::optional<FileStamp> stamp;
    std::optional<FileIdentity> identity;
    bool operator==(const FileVersion&) const = default;
};
FileVersion FileVersionOf(const std::string& path);

// ListFileLoading is 1 while it lives; when it ends, a file that is no
// longer the version it began with sets ListFileChangedWhileLoading.
class ListFileLoad {
public:
    explicit ListFileLoad(Program& p);
    ~ListFileLoad();
    ListFileLoad(const ListFileLoad&) = delete;
    ListFileLoad& operator=(const ListFileLoad&) = delete;

private:
    SharedState& state_;
    FileVersion before_;
};

}  // namespace kestrova
