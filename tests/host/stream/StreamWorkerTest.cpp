#include "host/stream/StreamWorker.h"

#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace Tesselon {
namespace {

using Clock = StreamWorker::Clock;
using Test::waitUntil;

/// Counts the bodies that began and returned. Its bodies wait an hour for their stop, so a stop that
/// does not wake them holds the test up.
struct Probe
{
    StreamWorker::Body body(StreamWorker& worker, std::function<void(const std::stop_token&)> first = {})
    {
        return [this, &worker, first](std::stop_token token) {
            ++entered;
            if (first)
                first(token);
            worker.waitFor(token, std::chrono::hours(1));
            ++exited;
        };
    }

    std::atomic<int> entered = 0;
    std::atomic<int> exited = 0;
};

TEST(StreamWorker, StopsFromEveryStateAndStartsAgain)
{
    struct Case
    {
        const char* state;
        std::function<void(StreamWorker&, Probe&)> arrange;
    };
    const Case cases[] = {
        {"never started", [](StreamWorker&, Probe&) {}},
        {"waiting",
         [](StreamWorker& worker, Probe& probe) {
             worker.start(probe.body(worker));
             ASSERT_TRUE(waitUntil([&] { return probe.entered == 1; }));
         }},
        {"busy in its body",
         [](StreamWorker& worker, Probe& probe) {
             worker.start(probe.body(worker, [](const std::stop_token& token) {
                 while (!token.stop_requested())
                     std::this_thread::yield();
             }));
             ASSERT_TRUE(waitUntil([&] { return probe.entered == 1; }));
         }},
        {"returned by itself",
         [](StreamWorker& worker, Probe& probe) {
             worker.start([&probe](std::stop_token) { ++probe.entered, ++probe.exited; });
             ASSERT_TRUE(waitUntil([&] { return probe.exited == 1; }));
             worker.start(probe.body(worker));  // not stopped yet: still counts as started
             EXPECT_TRUE(worker.isStarted());
         }},
        {"stopped from its own thread",
         [](StreamWorker& worker, Probe& probe) {
             worker.start(probe.body(worker, [&worker](const std::stop_token&) { worker.stop(); }));
             ASSERT_TRUE(waitUntil([&] { return probe.exited == 1; }));
             EXPECT_FALSE(worker.isStarted());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Probe probe;
        {
            StreamWorker worker;
            c.arrange(worker, probe);
            worker.stop();
            worker.stop();
            EXPECT_FALSE(worker.isStarted());
            EXPECT_EQ(probe.exited, probe.entered);
            const int before = probe.entered;
            worker.start(probe.body(worker));
            EXPECT_TRUE(worker.isStarted());
            ASSERT_TRUE(waitUntil([&] { return probe.entered == before + 1; }));
        }
        EXPECT_EQ(probe.exited, probe.entered) << "the destructor stops the body";
    }
}

TEST(StreamWorker, DestroyedOnItsOwnThreadLetsTheBodyFinish)
{
    std::atomic<bool> finished = false;
    auto* worker = new StreamWorker;
    worker->start([&](std::stop_token) {
        delete worker;
        finished = true;
    });
    EXPECT_TRUE(waitUntil([&] { return finished.load(); }));
}

TEST(StreamWorker, PeriodicTicksKeepTheirDeadlinesAndCatchUpAfterALateOne)
{
    constexpr auto period = std::chrono::milliseconds(1);
    std::mutex mutex;
    std::vector<Clock::time_point> deadlines;
    bool early = false;
    StreamWorker worker;
    worker.startPeriodic([&](Clock::time_point deadline) {
        std::lock_guard lock(mutex);
        early = early || Clock::now() < deadline;
        deadlines.push_back(deadline);
        // Twenty deadlines pass during the first tick: all of them must still come, one after the other.
        if (deadlines.size() == 1)
            std::this_thread::sleep_for(20 * period);
        return period;
    });
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return deadlines.size() >= 40;
    }));
    worker.stop();
    EXPECT_FALSE(early);
    for (std::size_t k = 0; k < deadlines.size(); ++k)
        ASSERT_EQ(deadlines[k] - deadlines.front(), static_cast<int>(k) * period) << k;
}

}  // namespace
}  // namespace Tesselon
