// Gates for tests that hand control between threads. std::binary_semaphore
// and std::latch would do, but the MinGW C++ library's atomic waits (which
// both use) can lose a wake-up, and a lost wake-up hangs the test for ever
// under Wine; a mutex and a condition variable never do.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace kestrova::testing {

// A binary semaphore: acquire() waits until release() has been called, and
// takes that release.
class Gate {
public:
    void release() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void acquire() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
        open_ = false;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// A latch: wait() returns once count_down() has been called `count` times.
class Countdown {
public:
    explicit Countdown(std::ptrdiff_t count) : left_(count) {}
    void count_down() {
        {
            std::lock_guard lock(mutex_);
            --left_;
        }
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return left_ <= 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::ptrdiff_t left_;
};

}  // namespace kestrova::testing
