#pragma once
// Threads that carry out file-system requests for a reader. The pool starts
// small and grows only while its requests are slow: a local disk answers
// faster than a thread could be handed more work, while a network share
// answers many requests at once, each after a round trip, so there many
// requests kept in flight shorten the whole.
//
// A pool can be abandoned at any moment (the user interrupted): the jobs
// still queued are dropped at once, and a job under way, which may wait
// for a share for seconds, finishes on its own thread without anyone
// waiting for it. Jobs therefore own (share) everything they touch.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace kestrova {

class RequestPool {
public:
    // A job returns true when its requests were slow (see RequestWatch).
    using Job = std::function<bool()>;

    RequestPool(std::size_t first_workers, std::size_t most_workers);
    ~RequestPool();  // abandons
    RequestPool(const RequestPool&) = delete;
    RequestPool& operator=(const RequestPool&) = delete;

    // Queues a job behind those queued; jobs start in the order queued.
    void Submit(Job job);
    // Queues a job ahead of those queued: someone waits for it.
    void SubmitFirst(Job job);
    // Drops the queued jobs and takes no more; returns at once.
    void Abandon();

    // Every worker runs one job at a time. Once requests are slow, a slow
    // job while other jobs wait adds a worker, up to the most.
    std::size_t Workers() const;
    // Jobs queued and not yet started: the pool is behind.
    std::size_t Queued() const;
    // True once several jobs in a row were slow (one alone may only have
    // lost the processor to other work); it stays so.
    bool RequestsAreSlow() const;
    // Counts requests made outside the pool (by the thread that feeds it)
    // as a job's.
    void Note(bool slow);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

// Tells whether the file-system requests made since it was built were
// slow: on average longer than a local disk takes from its cache.
class RequestWatch {
public:
    RequestWatch();
    bool Slow(std::size_t requests) const;

private:
    std::int64_t start_ns_;
};

}  // namespace kestrova
