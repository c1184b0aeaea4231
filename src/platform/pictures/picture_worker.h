#pragma once
// One worker thread that decodes pictures ahead of need, for any backend:
// it runs the backend's own decode, which must touch no window and no state
// of the user-interface thread.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "picture_load.h"

namespace kestrova {

class PictureWorker {
public:
    using Decode = std::function<std::optional<LoadedPicture>(const std::string& path, PixelSize fit)>;

    explicit PictureWorker(Decode decode);
    // Waits for a decode under way; queued ones are dropped.
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    // Queues a decode and returns at once. Decodes run one at a time, in the
    // order they were asked for.
    std::unique_ptr<PendingPicture> Start(std::string path, PixelSize fit);

    struct Job;

private:
    void Run();

    Decode decode_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    // Started with the first decode: a run that shows no picture has no
    // thread to spare.
    std::thread thread_;
};

}  // namespace kestrova
