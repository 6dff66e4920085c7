#include "host/core/io/TrackingRecordingFile.h"
#include "host/stream/DwellDetector.h"
#include "host/stream/TrackingSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

using namespace Tesselon;
using Event = DwellDetector::Event;

namespace {

// Feeds `seconds` of samples at 10 Hz at `tip`, from `start`, and returns the events in order.
std::vector<Event> rest(DwellDetector& detector, double start, double seconds, const Eigen::Vector3d& tip)
{
    std::vector<Event> events;
    for (double t = start; t < start + seconds - 1e-9; t += 0.1)
        events.push_back(detector.add(t, tip + Eigen::Vector3d(0.1, 0, 0) * ((events.size() % 3) - 1.0)));
    return events;
}

long count(const std::vector<Event>& events, Event event)
{
    return std::count(events.begin(), events.end(), event);
}

}  // namespace

TEST(DwellDetector, FindsTheEightLandmarkRestsOfThePhantomRecording)
{
    const auto sequence = TrackingSequence::fromRecording(
        TrackingRecordingFile::read(std::string(TESSELON_TEST_DATA_DIR) +
                                    "/EightLandmarkPointsTrackedForPhantomRegistration.igs.mha"),
        "StylusToTracker", "ReferenceToTracker");
    Eigen::Matrix4d tipToStylus = Eigen::Matrix4d::Identity();
    tipToStylus.topRightCorner<3, 1>() = Eigen::Vector3d(108.565, 7.77385, 2.5389);
    sequence->setCalibration(tipToStylus);
    std::vector<DwellDetector::Sample> tips;
    for (std::size_t i = 0; i < sequence->size(); ++i)
        tips.push_back({*sequence->sample(i).timestampSeconds, sequence->matrix(i).topRightCorner<3, 1>()});

    // The stylus also lies still before the first landmark and after the last: neither is a touch.
    const auto rests = DwellDetector::findRests(tips);
    ASSERT_EQ(rests.size(), 8u);
    for (std::size_t i = 1; i < rests.size(); ++i)
        EXPECT_GT((rests[i].meanTip - rests[i - 1].meanTip).norm(), 15.0) << "rest " << i + 1;
}

TEST(DwellDetector, CapturesOncePerRestAfterTheTipArrivesAndReArmsWhenItMovesOn)
{
    DwellDetector detector;
    const Eigen::Vector3d a(0, 0, 0), b(20, 0, 0), c(20, 30, 0);
    EXPECT_EQ(count(rest(detector, 0, 3, a), Event::Captured), 0);  // resting where watching started

    const auto atB = rest(detector, 3, 4, b);
    EXPECT_EQ(count(atB, Event::Captured), 1);
    EXPECT_EQ(atB[10], Event::Captured);  // the first sample completing a full second
    EXPECT_TRUE(detector.rest().meanTip.isApprox(b, 1e-2));
    EXPECT_EQ(count(rest(detector, 7, 1, b + Eigen::Vector3d(2, 0, 0)), Event::Captured), 0);  // wandering

    const auto atC = rest(detector, 8, 2, c);
    EXPECT_EQ(atC.front(), Event::MovedOn);
    EXPECT_EQ(count(atC, Event::Captured), 1);
}

TEST(DwellDetector, NeverCapturesATipMovingMoreThanTheRadiusOrSamplesFromThePastAndMendsBadSettings)
{
    DwellDetector detector({0.5, 1.0, 5.0});
    detector.add(0, Eigen::Vector3d(50, 0, 0));
    for (int i = 0; i < 50; ++i)
        EXPECT_NE(detector.add(0.1 * i, Eigen::Vector3d(0.15 * i, 0, 0)), Event::Captured);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(detector.add(10, Eigen::Vector3d(nan, 0, 0)), Event::Ignored);
    EXPECT_EQ(detector.add(nan, Eigen::Vector3d::Zero()), Event::Ignored);
    EXPECT_EQ(detector.add(4, Eigen::Vector3d::Zero()), Event::Ignored);  // older than the last sample
    EXPECT_EQ(count(rest(detector, 10, 1.5, Eigen::Vector3d::Zero()), Event::Captured), 1);

    DwellDetector mended({nan, 0.0, 0.1});  // the defaults, and a move-on distance raised to the radius
    mended.add(0, Eigen::Vector3d(50, 0, 0));
    const auto events = rest(mended, 1, 1.5, Eigen::Vector3d::Zero());
    EXPECT_EQ(std::find(events.begin(), events.end(), Event::Captured) - events.begin(), 10);
}
