#pragma once
// The folders of one folder row, read ahead of the rows made from them. One
// thread walks the folders in exactly the order the scan takes them (see
// FolderWalk); a request pool looks up the size and local time of the
// files the pattern keeps, and hands each folder over finished, in that
// same order. On a local disk the pool keeps one thread, and the walking
// thread looks up a share of each folder's files itself, so the two share
// the work; where requests are slow (a network share) the pool grows, the
// files are looked up in small pieces and the walk has its next folders
// listed meanwhile, so many requests are in flight at once. The threads
// touch no window and no shared state, so everything the user sees stays
// on the caller's side and in the caller's order.
//
// The caller never waits for a thread: it asks whether the next step is
// ready, and while it is not it keeps its windows alive (Services::
// WaitForWork on StepReady). Destroying the reader abandons what is in
// flight at once, however long a request takes.
#include <atomic>
#include <memory>
#include <optional>

#include "folder_step.h"
#include "platform/model/work_signal.h"

namespace kestrova {

class FolderWalk;

// The answer to whether a step's folder was deleted since it was read.
struct FolderCheck {
    std::atomic<bool> answered{false};
    std::atomic<bool> removed{false};
};

class FolderReader {
public:
    FolderReader(WalkRequest request, FolderReading reading);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next step when it is ready; read in turn it always is. After End,
    // End again.
    std::optional<WalkStep> TryNext();
    // Notified when what the caller waits for may have come.
    WorkSignal& Ready();

    // Whether the folder of a step was deleted since it was read: answered
    // at once where requests are fast, by the pool where they are slow (the
    // caller keeps its windows alive meanwhile; Ready is notified).
    std::shared_ptr<const FolderCheck> CheckRemoved(const WalkStep& step);

    struct Ahead;

private:
    std::unique_ptr<FolderWalk> in_turn_;  // reading each folder in its turn
    std::shared_ptr<Ahead> ahead_;         // reading ahead
    WorkSignal in_turn_ready_;
    bool ended_ = false;
};

}  // namespace kestrova
