#include "request_pool.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace kestrova {
namespace {

// A request a local disk answers from its cache takes a few microseconds;
// a share's round trip takes a hundred or more.
constexpr std::int64_t kSlowRequestNs = 50'000;
// Slow jobs in a row before requests count as slow: a job that lost the
// processor to other work for a while looks slow too, but not job after job.
constexpr int kSlowJobsInARow = 8;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

struct RequestPool::Shared {
    explicit Shared(std::size_t most) : most_workers(most) {}

    const std::size_t most_workers;
    mutable std::mutex mutex;
    std::condition_variable work;
    std::deque<Job> queue;
    std::atomic<std::size_t> queued{0};  // queue.size(), read without the lock
    std::size_t workers = 0;
    std::size_t idle = 0;
    bool abandoned = false;
    int slow_in_a_row = 0;
    std::atomic<bool> slow{false};

    // Called with the mutex held.
    void Count(bool slow_job) {
        slow_in_a_row = slow_job ? slow_in_a_row + 1 : 0;
        if (slow_in_a_row >= kSlowJobsInARow) slow.store(true, std::memory_order_relaxed);
    }
};

namespace {

void StartWorker(const std::shared_ptr<RequestPool::Shared>& shared);

void Work(const std::shared_ptr<RequestPool::Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    while (true) {
        ++shared->idle;
        shared->work.wait(lock, [&] { return shared->abandoned || !shared->queue.empty(); });
        --shared->idle;
        if (shared->abandoned) return;
        RequestPool::Job job = std::move(shared->queue.front());
        shared->queue.pop_front();
        shared->queued.store(shared->queue.size(), std::memory_order_relaxed);
        lock.unlock();
        const bool slow = job();
        job = nullptr;  // what it holds goes now, not at the next job
        lock.lock();
        shared->Count(slow);
        if (slow && shared->slow && !shared->queue.empty() && shared->idle == 0 &&
            shared->workers < shared->most_workers) {
            StartWorker(shared);
        }
    }
}

// Called with the mutex held. The thread is not waited for: an abandoned
// pool leaves its workers to finish their last request on their own.
void StartWorker(const std::shared_ptr<RequestPool::Shared>& shared) {
    ++shared->workers;
    std::thread([shared] { Work(shared); }).detach();
}

}  // namespace

RequestPool::RequestPool(std::size_t first_workers, std::size_t most_workers)
    : shared_(std::make_shared<Shared>(most_workers)) {
    std::lock_guard lock(shared_->mutex);
    for (std::size_t i = 0; i < first_workers && i < most_workers; ++i) StartWorker(shared_);
}

RequestPool::~RequestPool() { Abandon(); }

void RequestPool::Submit(Job job) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->abandoned) return;
    shared_->queue.push_back(std::move(job));
    shared_->queued.store(shared_->queue.size(), std::memory_order_relaxed);
    // Waking costs a system call; only a sleeping worker needs it.
    if (shared_->idle > 0) shared_->work.notify_one();
}

void RequestPool::SubmitFirst(Job job) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->abandoned) return;
    shared_->queue.push_front(std::move(job));
    shared_->queued.store(shared_->queue.size(), std::memory_order_relaxed);
    if (shared_->idle > 0) shared_->work.notify_one();
}

void RequestPool::Abandon() {
    std::deque<Job> dropped;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->abandoned = true;
        dropped.swap(shared_->queue);
        shared_->queued.store(0, std::memory_order_relaxed);
    }
    shared_->work.notify_all();
}

std::size_t RequestPool::Workers() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->workers;
}

std::size_t RequestPool::Queued() const { return shared_->queued.load(std::memory_order_relaxed); }

bool RequestPool::RequestsAreSlow() const { return shared_->slow.load(std::memory_order_relaxed); }

void RequestPool::Note(bool slow) {
    std::lock_guard lock(shared_->mutex);
    shared_->Count(slow);
}

RequestWatch::RequestWatch() : start_ns_(NowNs()) {}

bool RequestWatch::Slow(std::size_t requests) const {
    return NowNs() - start_ns_ >= kSlowRequestNs * static_cast<std::int64_t>(requests == 0 ? 1 : requests);
}

}  // namespace kestrova
