#include "navigation/registration/PointsOnTrackingStream.h"

#include "host/core/config/Properties.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

class PointsOnTrackingStreamTest : public testing::Test
{
protected:
    PointsOnTrackingStreamTest()
    {
        stream.setMainInstrumentId("Pointer");
        record(points.pointsChanged, 'c');
        record(points.pointsRemoved, 'r');
    }

    void record(Signal<int, int>& signal, char kind)
    {
        signal.connect(&receiver, [this, kind](int first, int last) {
            events.push_back({kind, first, last});
        });
    }

    void addThree()
    {
        for (double x : {1.0, 2.0, 3.0})
            points.addWorldPoint({x, 0, 0});
        events.clear();
    }

    /// A change ('c') or removal ('r') signal with its first and last index.
    using Event = std::tuple<char, int, int>;

    LogCapture log;
    ManualTrackingStream stream;
    PointsOnTrackingStream points{stream};
    SignalReceiver receiver;
    std::vector<Event> events;
};

TEST_F(PointsOnTrackingStreamTest, NegativeIndicesCountFromTheEndAndOutOfRangeChangesNothing)
{
    points.setWorldPoint({9, 9, 9}, -1);
    EXPECT_TRUE(log->contains("setWorldPoint: invalid index 0"));
    EXPECT_TRUE(points.empty());

    addThree();
    points.setWorldPoint({7, 7, 7}, -1);
    points.setWorldPoint({5, 5, 5}, -10);
    points.setWorldPoint({4, 4, 4}, 3);
    EXPECT_TRUE(log->contains("setWorldPoint: invalid index 3"));
    EXPECT_EQ(points.allPoints(), (std::vector<Eigen::Vector3d>{{5, 5, 5}, {2, 0, 0}, {7, 7, 7}}));
    EXPECT_EQ(events, (std::vector<Event>{{'c', 2, 3}, {'c', 0, 1}}));
}

TEST_F(PointsOnTrackingStreamTest, RemoveClampsItsRangeAndKeepsNamesInStep)
{
    addThree();
    points.setName(2, "third");
    points.remove(2, 2);
    points.remove(0, 1);
    EXPECT_EQ(points.names(), (std::vector<std::string>{"", "third"}));
    points.remove(-5, 100);
    EXPECT_TRUE(points.empty());
    EXPECT_TRUE(points.names().empty());
    EXPECT_EQ(events, (std::vector<Event>{{'r', 0, 1}, {'r', 0, 2}}));
}

TEST_F(PointsOnTrackingStreamTest, TrackerIdFollowsTheMainInstrumentOnlyWhileAskedTo)
{
    EXPECT_EQ(points.trackerId(), "Pointer");
    addThree();
    points.setTrackerId("Needle");
    EXPECT_TRUE(log->contains("Main instrument is used. Cannot set tracker ID manually."));
    EXPECT_EQ(points.trackerId(), "Pointer");

    // The same main instrument again keeps the points.
    points.setUseMainInstrument(true);
    EXPECT_EQ(points.size(), 3);

    stream.setMainInstrumentId("Needle");
    EXPECT_TRUE(log->contains("Changed instrument after points were added. Clear points."));
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(points.trackerId(), "Needle");

    points.setUseMainInstrument(false);
    points.setTrackerId("Pointer2");
    addThree();
    stream.setMainInstrumentId("Reference");
    EXPECT_EQ(points.trackerId(), "Pointer2");
    EXPECT_EQ(points.size(), 3);

    // Switching the flag off again adopts the main instrument, clearing the points taken with another.
    points.setUseMainInstrument(false);
    EXPECT_EQ(points.trackerId(), "Reference");
    EXPECT_TRUE(points.empty());
}

TEST_F(PointsOnTrackingStreamTest, MainInstrumentChangedOnAStreamThreadReachesThePointsOnTheGuiThread)
{
    addThree();
    std::thread([this] { stream.setMainInstrumentId("Needle"); }).join();
    EXPECT_EQ(points.size(), 3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(points.trackerId(), "Needle");

    // A change still queued when the set dies is dropped.
    auto doomed = std::make_unique<PointsOnTrackingStream>(stream);
    std::thread([this] { stream.setMainInstrumentId("Reference"); }).join();
    doomed.reset();
    QCoreApplication::processEvents();
}

TEST_F(PointsOnTrackingStreamTest, ConfigurationRoundTripsIdsPointsAndNames)
{
    points.setUseMainInstrument(false);
    points.setTrackerId("Pointer2");
    points.setRelativeTrackerId("Reference");
    addThree();
    points.setName(1, "nasion");
    Properties saved;
    points.configuration(&saved);

    PointsOnTrackingStream restored(stream);
    log->clear();
    restored.configure(&saved);
    EXPECT_TRUE(log->messages().empty()) << "configuration sets the ids directly, also while following";
    EXPECT_EQ(restored.trackerId(), "Pointer2");
    EXPECT_EQ(restored.relativeTrackerId(), std::optional<std::string>("Reference"));
    EXPECT_EQ(restored.allPoints(), points.allPoints());
    EXPECT_EQ(restored.names(), points.names());
    EXPECT_TRUE(restored.useMainInstrument());

    Properties nameOnly;
    nameOnly.setParam("Name", "renamed");
    restored.configurePoint(0, nameOnly);
    EXPECT_EQ(restored.size(), 3);
    EXPECT_EQ(restored.name(2), std::optional<std::string>("renamed"));
    Properties pointAndName = nameOnly;
    pointAndName.setParam("Point", Eigen::Vector3d(4, 5, 6));
    restored.configurePoint(0, pointAndName);
    EXPECT_EQ(restored.size(), 4);
    EXPECT_EQ(restored.name(3), std::optional<std::string>("renamed"));
}

TEST_F(PointsOnTrackingStreamTest, TipIsTheCalibratedPoseInTrackerOrReferenceCoordinates)
{
    const auto pointer = instrument("Pointer", pose({0, 0, 1}, 90, {10, 0, 0}));
    EXPECT_TRUE(points.tipPosition(pointer, nullptr)->isApprox(Eigen::Vector3d(10, 0, 0)));

    stream.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
        "Pointer", translation(5, 0, 0), 0.1);
    EXPECT_TRUE(points.tipPosition(pointer, nullptr)->isApprox(Eigen::Vector3d(10, 5, 0)));

    const auto reference = instrument("Reference", translation(0, 5, 0));
    EXPECT_TRUE(points.tipPosition(pointer, &reference)->isApprox(Eigen::Vector3d(10, 0, 0)));

    auto collapsed = reference;
    collapsed.matrix.topLeftCorner<3, 3>().setZero();
    EXPECT_FALSE(points.tipPosition(pointer, &collapsed));
    EXPECT_TRUE(log->contains("cannot be inverted"));
    auto broken = pointer;
    broken.matrix(0, 3) = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(points.tipPosition(broken, nullptr));
}

}  // namespace
