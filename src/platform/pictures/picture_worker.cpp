#include "picture_worker.h"

#include <utility>

namespace kestrova {

struct PictureWorker::Job {
    std::string path;
    PixelSize fit;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool dropped = false;
    std::optional<LoadedPicture> result;
};

namespace {

class WorkerPending final : public PendingPicture {
public:
    explicit WorkerPending(std::shared_ptr<PictureWorker::Job> job) : job_(std::move(job)) {}
    ~WorkerPending() override {
        std::optional<LoadedPicture> unused;
        {
            std::lock_guard lock(job_->mutex);
            job_->dropped = true;
            unused = std::move(job_->result);
        }
        // Freed here, outside the lock.
    }
    bool Ready() override {
        std::lock_guard lock(job_->mutex);
        return job_->done;
    }
    std::optional<LoadedPicture> Take() override {
        std::unique_lock lock(job_->mutex);
        job_->finished.wait(lock, [this] { return job_->done; });
        return std::exchange(job_->result, std::nullopt);
    }

private:
    std::shared_ptr<PictureWorker::Job> job_;
};

}  // namespace

PictureWorker::PictureWorker(Decode decode) : decode_(std::move(decode)) {}

PictureWorker::~PictureWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& job : queue_) {
            std::lock_guard job_lock(job->mutex);
            job->done = true;
            job->finished.notify_all();
        }
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::unique_ptr<PendingPicture> PictureWorker::Start(std::string path, PixelSize fit) {
    auto job = std::make_shared<Job>();
    job->path = std::move(path);
    job->fit = fit;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(job);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
    return std::make_unique<WorkerPending>(std::move(job));
}

void PictureWorker::Run() {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        bool wanted;
        {
            std::lock_guard lock(job->mutex);
            wanted = !job->dropped;
        }
        std::optional<LoadedPicture> result;
        if (wanted) result = decode_(job->path, job->fit);
        std::lock_guard lock(job->mutex);
        if (!job->dropped) job->result = std::move(result);
        job->done = true;
        job->finished.notify_all();
    }
}

}  // namespace kestrova
