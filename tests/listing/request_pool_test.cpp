// The request pool's rules: the order jobs start in, when it grows, and
// that abandoning it waits for nothing. Jobs here wait on gates the test
// opens, never on a clock.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "listing/request_pool.h"
#include "support/gates.h"

namespace kestrova {
namespace {

// Records the order jobs ran in.
struct Log {
    std::mutex mutex;
    std::vector<std::string> ran;
    void Add(const std::string& name) {
        std::lock_guard lock(mutex);
        ran.push_back(name);
    }
};

TEST(RequestPool, JobsStartInTheOrderQueuedAndAWaitedForJobGoesFirst) {
    RequestPool pool(1, 1);
    Log log;
    testing::Gate started;
    testing::Gate gate;
    testing::Countdown all_done(5);
    pool.Submit([&] {
        started.release();
        gate.acquire();  // holds the one worker while the others queue
        log.Add("a");
        all_done.count_down();
        return false;
    });
    started.acquire();
    for (const char* name : {"b", "c", "d"}) {
        pool.Submit([&, name] {
            log.Add(name);
            all_done.count_down();
            return false;
        });
    }
    pool.SubmitFirst([&] {
        log.Add("first");
        all_done.count_down();
        return false;
    });
    gate.release();
    all_done.wait();
    EXPECT_EQ(log.ran, (std::vector<std::string>{"a", "first", "b", "c", "d"}));
}

// Twelve jobs on a pool of one that may grow to three: slow jobs grow it
// once requests have been slow several jobs in a row and work still waits;
// fast ones never do.
TEST(RequestPool, GrowsOnlyWhileRequestsAreSlowAndUpToItsMost) {
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow ? "slow jobs" : "fast jobs");
        RequestPool pool(1, 3);
        testing::Gate gate;
        testing::Countdown all_done(12);
        // The first job holds the worker until every job is queued, so work
        // waits whenever a job ends.
        pool.Submit([&] {
            gate.acquire();
            all_done.count_down();
            return slow;
        });
        for (int i = 1; i < 12; ++i) {
            pool.Submit([&] {
                all_done.count_down();
                return slow;
            });
        }
        gate.release();
        all_done.wait();
        EXPECT_EQ(pool.RequestsAreSlow(), slow);
        EXPECT_EQ(pool.Workers(), slow ? 3u : 1u);
    }
}

TEST(RequestPool, OneFastJobAmongSlowOnesKeepsRequestsCountedFast) {
    RequestPool pool(1, 4);
    testing::Countdown all_done(12);
    for (int i = 0; i < 12; ++i) {
        pool.Submit([&, i] {
            all_done.count_down();
            return i % 6 != 5;  // never eight slow ones in a row
        });
    }
    all_done.wait();
    EXPECT_FALSE(pool.RequestsAreSlow());
    EXPECT_EQ(pool.Workers(), 1u);
    for (int i = 0; i < 8; ++i) pool.Note(true);  // the feeding thread's own
    EXPECT_TRUE(pool.RequestsAreSlow());
}

// What a job holds goes with it: dropping a job drops its state.
struct Held {
    explicit Held(bool& dropped) : dropped_(dropped) {}
    ~Held() { dropped_ = true; }
    bool& dropped_;
};

TEST(RequestPool, AbandoningWaitsForNoJobAndDropsTheQueuedOnes) {
    auto pool = std::make_unique<RequestPool>(1, 1);
    // The job under way stands for a request a share never answers; the
    // test opens its gate only after the pool is gone.
    auto gate = std::make_shared<testing::Gate>();
    auto finished = std::make_shared<testing::Gate>();
    auto started = std::make_shared<testing::Gate>();
    pool->Submit([gate, finished, started] {
        started->release();
        gate->acquire();
        finished->release();
        return true;
    });
    bool queued_dropped = false;
    bool queued_ran = false;
    auto held = std::make_shared<Held>(queued_dropped);
    pool->Submit([held, &queued_ran] {
        queued_ran = true;
        return false;
    });
    held.reset();
    started->acquire();
    pool.reset();  // returns although a job is under way
    EXPECT_TRUE(queued_dropped);
    EXPECT_FALSE(queued_ran);
    gate->release();
    finished->acquire();  // the abandoned job still ends on its own thread
    EXPECT_FALSE(queued_ran);
}

TEST(RequestPool, AnAbandonedPoolTakesNoMoreJobs) {
    RequestPool pool(1, 2);
    pool.Abandon();
    bool dropped = false;
    {
        auto held = std::make_shared<Held>(dropped);
        pool.Submit([held] { return false; });
        pool.SubmitFirst([held] { return false; });
    }
    EXPECT_TRUE(dropped);
}

}  // namespace
}  // namespace kestrova
