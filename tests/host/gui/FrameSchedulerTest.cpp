#include "host/gui/FrameScheduler.h"

#include "tests/support/ProcessEventsUntil.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

TEST(FrameScheduler, AViewAskedForRightAfterAFrameWaitsForTheNextRefresh)
{
    std::vector<int> drawn;
    FrameScheduler scheduler(3, [&](int index) { drawn.push_back(index); });
    scheduler.requestAll();
    ASSERT_TRUE(processEventsUntil([&] { return drawn.size() == 3; }));
    // A refresh a minute long: nothing a test does in between comes close to it.
    scheduler.setFrameInterval(60'000);
    scheduler.request(1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(scheduler.isPending(1));
    EXPECT_EQ(drawn.size(), 3u);
    scheduler.clear();
    EXPECT_FALSE(scheduler.isPending(1));
}

TEST(FrameScheduler, AViewAskedForWhileDrawingIsDrawnAtTheNextFrame)
{
    int draws = 0;
    FrameScheduler* self = nullptr;
    FrameScheduler scheduler(1, [&](int index) {
        if (++draws == 1)
            self->request(index);
    });
    self = &scheduler;
    scheduler.setFrameInterval(0);
    scheduler.request(0);
    ASSERT_TRUE(processEventsUntil([&] { return draws == 2; }));
    EXPECT_FALSE(scheduler.isPending(0));
}

}  // namespace
}  // namespace Tesselon
