#pragma once
// Finished walk steps on their way from one thread to the next, first in,
// first out, bounded by the files they hold so a huge tree is not read into
// memory at once, and by their number as each holds its folder open.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace kestrova {

template <typename Step>
class StepQueue {
public:
    StepQueue(std::size_t max_files, std::size_t max_steps) : max_files_(max_files), max_steps_(max_steps) {}

    // Waits for room; false once Stop was called.
    bool Push(Step step) {
        std::unique_lock lock(mutex_);
        pusher_waits_ = true;
        changed_.wait(lock, [this] { return stop_ || (files_ < max_files_ && steps_.size() < max_steps_); });
        pusher_waits_ = false;
        if (stop_) return false;
        files_ += step.files.size();
        steps_.push_back(std::move(step));
        // Waking costs a system call; only a side that sleeps needs it.
        if (taker_waits_) changed_.notify_all();
        return true;
    }

    // Waits for a step; nullopt once Stop was called.
    std::optional<Step> Take() {
        std::unique_lock lock(mutex_);
        taker_waits_ = true;
        changed_.wait(lock, [this] { return stop_ || !steps_.empty(); });
        taker_waits_ = false;
        if (stop_) return std::nullopt;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        files_ -= step.files.size();
        if (pusher_waits_) changed_.notify_all();
        return step;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
    }

private:
    const std::size_t max_files_;
    const std::size_t max_steps_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Step> steps_;
    std::size_t files_ = 0;
    bool stop_ = false;
    bool pusher_waits_ = false;
    bool taker_waits_ = false;
};

}  // namespace kestrova
