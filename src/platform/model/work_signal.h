#pragma once
// Wakes the user-interface thread while it waits for work done on other
// threads (Services::WaitForWork): the worker notifies, the backend's wait
// ends. Any thread may notify, at any time; one thread waits.
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kestrova {

class WorkSignal {
public:
    // Any thread: what the waiting thread waits for may have come.
    void Notify() {
        std::lock_guard lock(mutex_);
        notified_ = true;
        if (waker_) waker_();
        changed_.notify_one();
    }

    // For a backend's wait. Arm has `waker` called (on the notifying
    // thread, so it must be quick and thread-safe) at the next notification;
    // false when one came since the last wait, so there is nothing to wait
    // for. Disarm ends that (the waker is never called after it) and
    // forgets the notification.
    bool Arm(std::function<void()> waker) {
        std::lock_guard lock(mutex_);
        if (notified_) return false;
        waker_ = std::move(waker);
        return true;
    }
    void Disarm() {
        std::lock_guard lock(mutex_);
        waker_ = nullptr;
        notified_ = false;
    }

    // Sleeps until notified, and forgets the notification.
    void WaitNotified() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return notified_; });
        notified_ = false;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> waker_;
    bool notified_ = false;
};

}  // namespace kestrova
