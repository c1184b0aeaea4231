#include "save_recovery.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "files.h"

namespace kestrova {
namespace {

struct Leftover {
    std::string path;
    TemporaryName name;
    std::int64_t mtime_seconds = 0;
};

// The leftovers of saves that are over: a process that still runs may be
// saving right now (or may be an unrelated one that got the id again); its
// files wait for a later start. A leftover with this process's own id is
// from an earlier run that had it: this one has not saved yet.
std::vector<Leftover> LeftoversOfEndedSaves(const std::string& path) {
    std::vector<Leftover> found;
    const std::string folder = ParentFolder(path);
    const Listing listing = ListFolder(folder, kAttrHidden, BaseName(path) + ".*");
    for (const DirEntry& entry : listing.entries) {
        if (entry.is_directory) continue;
        const std::optional<TemporaryName> name = TemporaryOwner(entry.name, path);
        if (!name) continue;
        if (name->pid != CurrentProcessId() && !ProcessHasEnded(name->pid)) continue;
        found.push_back({WithTrailingSeparator(folder) + entry.name, *name, entry.mtime_seconds});
    }
    return found;
}

}  // namespace

SaveRecovery RecoverInterruptedSaves(const std::string& requested) {
    std::string error;
    const std::string path = FollowLinks(requested, error).value_or(requested);
    std::vector<Leftover> leftovers = LeftoversOfEndedSaves(path);
    SaveRecovery recovery;
    const std::optional<PathKind> kind = KindOfPath(path, error);
    if (!kind) return recovery;  // nothing can be told, so nothing is touched
    if (*kind == PathKind::Missing) {
        // The newest whole one is the last save.
        std::stable_sort(leftovers.begin(), leftovers.end(),
                         [](const Leftover& a, const Leftover& b) { return a.mtime_seconds > b.mtime_seconds; });
        for (auto it = leftovers.begin(); it != leftovers.end(); ++it) {
            if (it->name.stage == SaveStage::Written && PutBackLeftover(it->path, path)) {
                recovery.put_back = true;
                leftovers.erase(it);
                break;
            }
        }
    }
    const bool file_there = *kind == PathKind::File || recovery.put_back;
    for (const Leftover& leftover : leftovers) {
        // One still being written may be cut short; a whole one goes only
        // when the file is there, so it is never the only copy that goes.
        if (leftover.name.stage == SaveStage::Written && !file_there) continue;
        if (DeleteLeftover(leftover.path)) ++recovery.removed;
    }
    return recovery;
}

}  // namespace kestrova
