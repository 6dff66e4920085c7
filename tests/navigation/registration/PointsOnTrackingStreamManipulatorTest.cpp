#include "navigation/registration/PointsOnTrackingStreamManipulator.h"

#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "navigation/registration/PointsOnTrackingStream.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <utility>
#include <vector>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

class PointsOnTrackingStreamManipulatorTest : public testing::Test
{
protected:
    PointsOnTrackingStreamManipulatorTest()
    {
        stream.setMainInstrumentId("Pointer");
        points.pointsAdded.connect(&receiver,
                                   [this](int first, int last) { added.emplace_back(first, last); });
    }

    /// Emits one sample and lets the GUI thread run what the capture posted.
    void emitAndDeliver(std::vector<TrackingInstrument> instruments)
    {
        stream.emitInstruments(std::move(instruments));
        QCoreApplication::processEvents();
    }

    ManualTrackingStream stream;
    PointsOnTrackingStream points{stream};
    PointsOnTrackingStreamManipulator manipulator{points};
    SignalReceiver receiver;
    std::vector<std::pair<int, int>> added;
};

TEST_F(PointsOnTrackingStreamManipulatorTest, CaptureWaitsThroughOtherSamplesAndEndsAfterOneTrackingSample)
{
    manipulator.startPointCreation();
    manipulator.startPointCreation();
    EXPECT_EQ(stream.newData.connectionCount(), 1u);

    stream.newData.emitSignal(nullptr);
    stream.newData.emitSignal(std::make_shared<StreamData>());
    EXPECT_TRUE(manipulator.isCreatingPoint());

    stream.emitInstruments({instrument("Pointer", translation(1, 2, 3))});
    EXPECT_FALSE(manipulator.isCreatingPoint());
    EXPECT_TRUE(points.empty()) << "the point reaches the set on the GUI thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(points.allPoints(), (std::vector<Eigen::Vector3d>{{1, 2, 3}}));

    emitAndDeliver({instrument("Pointer", translation(4, 5, 6))});
    EXPECT_EQ(points.size(), 1);
    EXPECT_EQ(added, (std::vector<std::pair<int, int>>{{0, 1}}));
}

TEST_F(PointsOnTrackingStreamManipulatorTest, OnlyAPointerSeenWithQualityAboveTheGateGivesAPoint)
{
    const double gate = 0.8;
    auto hidden = instrument("Pointer", translation(1, 0, 0));
    hidden.visible = false;
    for (const auto& rejected :
         {std::vector<TrackingInstrument>{instrument("Pointer", translation(1, 0, 0), gate)},
          std::vector<TrackingInstrument>{hidden},
          std::vector<TrackingInstrument>{instrument("Needle", translation(1, 0, 0))}}) {
        manipulator.startPointCreation();
        emitAndDeliver(rejected);
    }
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(added, (std::vector<std::pair<int, int>>(3, {-1, -1})));

    manipulator.startPointCreation();
    emitAndDeliver({instrument("Pointer", translation(1, 0, 0), std::nextafter(gate, 1.0))});
    EXPECT_EQ(points.size(), 1);
}

TEST_F(PointsOnTrackingStreamManipulatorTest, PointIsTheCalibratedTipRelativeToTheReferenceWhenOneIsSet)
{
    stream.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
        "Pointer", translation(0, 0, 10), 0.0);
    points.setRelativeTrackerId("Reference");
    const auto pointer = instrument("Pointer", translation(1, 2, 3));

    manipulator.startPointCreation();
    emitAndDeliver({pointer});
    EXPECT_TRUE(points.empty()) << "the reference is missing from the sample";
    EXPECT_EQ(added.back(), std::make_pair(-1, -1));

    manipulator.startPointCreation();
    emitAndDeliver({pointer, instrument("Reference", translation(1, 1, 1))});
    ASSERT_EQ(points.size(), 1);
    EXPECT_TRUE(points.allPoints()[0].isApprox(Eigen::Vector3d(0, 1, 12)));
}

TEST_F(PointsOnTrackingStreamManipulatorTest, CancelledOrAbandonedCapturesAddNothing)
{
    manipulator.startPointCreation();
    manipulator.cancelPointCreation();
    EXPECT_EQ(stream.newData.connectionCount(), 0u);
    emitAndDeliver({instrument("Pointer", translation(1, 0, 0))});
    EXPECT_TRUE(added.empty());

    // A point still on its way to the GUI thread when the set dies is dropped.
    auto doomed = std::make_unique<PointsOnTrackingStream>(stream);
    {
        PointsOnTrackingStreamManipulator pending(*doomed);
        pending.startPointCreation();
        stream.emitInstruments({instrument("Pointer", translation(1, 0, 0))});
    }
    doomed.reset();
    QCoreApplication::processEvents();

    manipulator.onCreatePointInteraction({7, 8, 9});
    EXPECT_EQ(points.allPoints(), (std::vector<Eigen::Vector3d>{{7, 8, 9}}));
}

TEST_F(PointsOnTrackingStreamManipulatorTest, CapturesFromAStreamThreadWhileTheGuiThreadAsksForPoints)
{
    constexpr int requests = 200;
    std::atomic<bool> done = false;
    std::thread tracker([&] {
        while (!done)
            stream.emitInstruments({instrument("Pointer", translation(1, 0, 0))});
    });
    for (int i = 0; i < requests; ++i) {
        manipulator.startPointCreation();
        while (manipulator.isCreatingPoint())
            std::this_thread::yield();
        QCoreApplication::processEvents();
    }
    done = true;
    tracker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(points.size(), requests);
}

}  // namespace
