#include "host/gl/Animations.h"
#include "tests/support/LogCapture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace Tesselon;
using Tesselon::Test::LogCapture;

namespace {

/// Runs the event loop until the animation stopped or a generous deadline passed, then lets queued
/// clean-ups run.
void runUntilStopped(const Animation& animation)
{
    QDeadlineTimer deadline(10000);
    while (animation.state() == Animation::Running && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

/// Lets the event loop run a few rounds.
void spinEventLoop()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

TEST(Animations, EndWithOneCallAtOneUnlessCancelledOrThrowingAndZeroOrNegativeDurationsJump)
{
    std::vector<double> steps;
    auto animation =
        Animations::runAnimation([&](double t) { steps.push_back(t); }, 50, QEasingCurve::InOutQuad);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(animation->state(), Animation::Running);
    runUntilStopped(*animation);
    ASSERT_EQ(animation->state(), Animation::Stopped);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 1.0);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), 1.0), 1);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_GE(steps.front(), 0.0);
    spinEventLoop();
    EXPECT_EQ(std::count(steps.begin(), steps.end(), 1.0), 1);

    double last = -1.0;
    std::weak_ptr<Animation> watch = Animations::runAnimation([&](double t) { last = t; }, 20);
    ASSERT_FALSE(watch.expired());
    runUntilStopped(*watch.lock());
    EXPECT_EQ(last, 1.0);
    spinEventLoop();
    EXPECT_TRUE(watch.expired());

    for (const int duration : {0, -5}) {
        LogCapture log;
        std::vector<double> steps;
        auto animation = Animations::runAnimation([&](double t) { steps.push_back(t); }, duration);
        EXPECT_TRUE(steps.empty());
        runUntilStopped(*animation);
        EXPECT_EQ(steps, std::vector<double>{1.0});
        EXPECT_EQ(log->count("An animation cannot have a negative duration; running it with duration 0."),
                  duration < 0 ? 1 : 0);
    }

    std::vector<double> cancelledSteps;
    auto cancelled = Animations::runAnimation([&](double t) { cancelledSteps.push_back(t); }, 60000);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    cancelled->cancel();
    EXPECT_EQ(cancelled->state(), Animation::Stopped);
    spinEventLoop();
    EXPECT_EQ(std::count(cancelledSteps.begin(), cancelledSteps.end(), 1.0), 0);

    LogCapture log;
    int calls = 0;
    auto throwing = Animations::runAnimation(
        [&](double) {
            ++calls;
            throw std::runtime_error("camera gone");
        },
        60000);
    runUntilStopped(*throwing);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(log->contains("camera gone"));
}
