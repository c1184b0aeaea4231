#include "folder_reader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "folder_walk.h"
#include "platform/system/local_times.h"

namespace kestrova {
namespace {

// How far the reading may run ahead: enough to ride over a slow folder,
// little enough that a tree of millions is not held twice.
constexpr std::size_t kAheadFiles = 16384;
constexpr std::size_t kAheadSteps = 128;  // each holds its folder open
// Files one job looks up where requests are slow: small pieces, so that
// many requests are in flight at once.
constexpr std::size_t kSlowPiece = 8;

// Looks up the files in [begin, end) that the listing left without their
// status; a file gone meanwhile is marked so, as a listing made just then
// would have left it out. Stops when the reader is being stopped: on a slow
// network folder an interrupt then waits for no more than one file.
void LookUpFiles(WalkStep& step, std::size_t begin, std::size_t end, const std::atomic<bool>& stopping) {
    for (std::size_t i = begin; i < end; ++i) {
        if (stopping.load(std::memory_order_relaxed)) return;
        FoundFile& file = step.files[i];
        if (file.looked_up) continue;
        const auto status = LookUpFileStatus(*step.folder, step.names.data() + file.name_offset);
        file.looked_up = true;
        file.gone = !status;
        if (!status) continue;
        file.size = status->size;
        file.mtime_seconds = status->mtime_seconds;
    }
}

// Drops the files gone meanwhile and gives the others their local time.
void FinishFiles(WalkStep& step) {
    thread_local LocalTimes times;
    std::size_t kept = 0;
    for (FoundFile& file : step.files) {
        if (file.gone) continue;
        file.modified = times.Of(file.mtime_seconds);
        step.files[kept++] = file;
    }
    step.files.resize(kept);
}

// Files the walking thread looks up between two looks at the pool.
constexpr std::size_t kOwnPiece = 32;

const std::atomic<bool> kNeverStopped{false};

}  // namespace

// The steps between the walking thread, the pool and the caller, in the
// walk's order. A step is ready once all its files are looked up.
struct FolderReader::Ahead : ReadAhead {
    using ReadAhead::ReadAhead;

    struct Pending {
        WalkStep step;
        std::size_t counted = 0;                // its files, for the bound
        std::atomic<std::size_t> unfinished{1};  // lookup jobs, and the hand-over
        bool ready = false;
    };

    // Lookups not yet handed to the pool. On a local disk those of small
    // folders go together: waking a worker for each folder cost more than
    // looking its few files up. They go at once when their folder is the
    // next the caller takes (it may be waiting for it already), and at the
    // latest when the caller finds the next folder not ready.
    struct Piece {
        Pending* pending;
        std::size_t begin;
        std::size_t end;
    };
    static constexpr std::size_t kBatchFiles = 64;
    static constexpr std::size_t kBatchSteps = 8;

    std::mutex mutex;
    std::condition_variable room;
    std::deque<Pending> steps;  // a deque: jobs keep pointers to their steps
    std::size_t files = 0;
    bool walker_waits = false;
    std::vector<Piece> batch;
    std::size_t batch_files = 0;
    WorkSignal ready_signal;

    // Called with the mutex held.
    std::vector<Piece> TakeBatch() {
        batch_files = 0;
        return std::exchange(batch, {});
    }
};

namespace {

using Ahead = FolderReader::Ahead;

void Finished(Ahead& ahead, Ahead::Pending& pending) {
    if (pending.unfinished.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    FinishFiles(pending.step);
    bool first;
    {
        std::lock_guard lock(ahead.mutex);
        pending.ready = true;
        first = &ahead.steps.front() == &pending;
    }
    if (first) ahead.ready_signal.Notify();
}

// Hands the lookups batched so far to the pool as one job.
void HandBatch(const std::shared_ptr<Ahead>& ahead, std::vector<Ahead::Piece> pieces) {
    if (pieces.empty()) return;
    ahead->pool.Submit([ahead, pieces = std::move(pieces)] {
        RequestWatch watch;
        std::size_t files = 0;
        for (const Ahead::Piece& piece : pieces) {
            LookUpFiles(piece.pending->step, piece.begin, piece.end, ahead->stop);
            Finished(*ahead, *piece.pending);
            files += piece.end - piece.begin;
        }
        return watch.Slow(files);
    });
}

// Queues a step the walk made and has its files looked up; false once the
// reader is stopped.
bool Hand(const std::shared_ptr<Ahead>& ahead, WalkStep step) {
    const bool slow = ahead->Slow();
    const bool last = step.kind == WalkStep::Kind::End;
    const std::size_t count = step.files.size();
    // On a local disk the walking thread looks the files up itself while
    // the pool is behind, and leaves the rest to it once it has caught up:
    // whichever of the two has less to do takes more. In trees of small
    // folders that is the pool, in folders of thousands of files both.
    std::size_t own = 0;
    while (!slow && own < count && ahead->pool.Queued() > 0) {
        const std::size_t end = std::min(count, own + kOwnPiece);
        RequestWatch watch;
        LookUpFiles(step, own, end, ahead->stop);
        ahead->pool.Note(watch.Slow(end - own));
        own = end;
    }
    std::unique_lock lock(ahead->mutex);
    ahead->walker_waits = true;
    ahead->room.wait(lock, [&] {
        return ahead->stop || (ahead->files < kAheadFiles && ahead->steps.size() < kAheadSteps);
    });
    ahead->walker_waits = false;
    if (ahead->stop) return false;
    Ahead::Pending* pending = &ahead->steps.emplace_back();
    pending->step = std::move(step);
    pending->counted = count;
    ahead->files += count;
    const std::size_t piece = slow ? kSlowPiece : std::max<std::size_t>(count, 1);
    pending->unfinished.store(1 + (count - own + piece - 1) / piece, std::memory_order_relaxed);
    const bool next_taken = &ahead->steps.front() == pending;
    std::vector<std::vector<Ahead::Piece>> to_hand;
    for (std::size_t begin = own; begin < count; begin += piece) {
        const std::size_t end = std::min(count, begin + piece);
        ahead->batch.push_back({pending, begin, end});
        ahead->batch_files += end - begin;
        if (slow || ahead->batch_files >= Ahead::kBatchFiles || ahead->batch.size() >= Ahead::kBatchSteps) {
            to_hand.push_back(ahead->TakeBatch());
        }
    }
    if (last || next_taken) to_hand.push_back(ahead->TakeBatch());
    lock.unlock();
    for (auto& pieces : to_hand) HandBatch(ahead, std::move(pieces));
    Finished(*ahead, *pending);
    return true;
}

}  // namespace

FolderReader::FolderReader(WalkRequest request, FolderReading reading) {
    if (!reading.read_ahead) {
        in_turn_ = std::make_unique<FolderWalk>(std::move(request), nullptr);
        return;
    }
    ahead_ = std::make_shared<Ahead>(std::move(reading));
    // Not waited for: an interrupted reader leaves it to finish the request
    // it is in, however long that takes.
    std::thread([ahead = ahead_, walk = std::make_unique<FolderWalk>(std::move(request), ahead_)] {
        while (true) {
            WalkStep step = walk->Advance();
            const bool last = step.kind == WalkStep::Kind::End;
            if (!Hand(ahead, std::move(step)) || last) return;
        }
    }).detach();
}

FolderReader::~FolderReader() {
    if (!ahead_) return;
    {
        std::lock_guard lock(ahead_->mutex);
        ahead_->stop = true;
    }
    ahead_->room.notify_all();
    ahead_->pool.Abandon();
}

WorkSignal& FolderReader::Ready() { return ahead_ ? ahead_->ready_signal : in_turn_ready_; }

std::optional<WalkStep> FolderReader::TryNext() {
    if (ended_) return WalkStep{};
    WalkStep step;
    if (in_turn_) {
        step = in_turn_->Advance();
        LookUpFiles(step, 0, step.files.size(), kNeverStopped);
        FinishFiles(step);
    } else {
        std::unique_lock lock(ahead_->mutex);
        if (ahead_->steps.empty() || !ahead_->steps.front().ready) {
            // The caller is about to wait: what is batched goes now.
            std::vector<Ahead::Piece> batch = ahead_->TakeBatch();
            lock.unlock();
            HandBatch(ahead_, std::move(batch));
            return std::nullopt;
        }
        Ahead::Pending& first = ahead_->steps.front();
        step = std::move(first.step);
        ahead_->files -= first.counted;
        ahead_->steps.pop_front();
        const bool wake = ahead_->walker_waits;
        lock.unlock();
        if (wake) ahead_->room.notify_one();
    }
    ended_ = step.kind == WalkStep::Kind::End;
    return step;
}

std::shared_ptr<const FolderCheck> FolderReader::CheckRemoved(const WalkStep& step) {
    auto check = std::make_shared<FolderCheck>();
    if (!ahead_ || !ahead_->Slow()) {
        check->removed = step.folder && step.folder->Removed();
        check->answered = true;
        return check;
    }
    // Ahead of everything queued: the caller waits for it.
    ahead_->pool.SubmitFirst([ahead = ahead_, folder = step.folder, check] {
        RequestWatch watch;
        check->removed = folder && folder->Removed();
        check->answered = true;
        ahead->ready_signal.Notify();
        return watch.Slow(1);
    });
    return check;
}

}  // namespace kestrova
