#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include "host/core/config/Properties.h"
#include "host/core/geometry/Math.h"
#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <Eigen/LU>

#include <atomic>
#include <limits>
#include <thread>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

class ToolVisualizationTest : public testing::Test
{
protected:
    ToolVisualizationTest()
    {
        tool.trackingTargetId = "Needle";
        tool.running = true;
    }

    void calibrate(const std::string& id, const Eigen::Matrix4d& calibration)
    {
        stream.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(id, calibration,
                                                                                             0.0);
    }

    LogCapture log;
    ManualTrackingStream stream;
    ToolVisualizationAlgorithm tool{&stream};
    const Eigen::Matrix4d needleToTracker = pose({1, 1, 0}, 35, {10, -20, -900});
};

TEST_F(ToolVisualizationTest, ToolPoseChainsStreamReferenceAndBothCalibrations)
{
    const Eigen::Matrix4d trackerToWorld = pose({0, 0, 1}, 90, {1, 2, 3});
    const Eigen::Matrix4d referenceToTracker = pose({0, 1, 0}, -20, {50, 0, -1000});
    const Eigen::Matrix4d tipToNeedle = translation(0, 0, -180);
    const Eigen::Matrix4d referenceCalibration = pose({1, 0, 0}, 10, {0, 5, 0});
    stream.setMatrix(trackerToWorld);
    calibrate("Needle", tipToNeedle);
    calibrate("Reference", referenceCalibration);
    tool.trackingTargetRelId = "Reference";
    const Eigen::Vector3d fiducial(1, 2, 3);
    auto sample = std::make_shared<TrackingStreamData>(
        &stream, std::vector{instrument("Needle", needleToTracker, 0.9),
                             instrument("Reference", referenceToTracker, 0.5)});
    sample->setComponent(std::make_shared<TrackingInstrumentFiducialsData>(
        std::vector<TrackingInstrumentFiducialsData::Fiducial>{{fiducial, 7}}));
    stream.newData.emitSignal(sample);

    const Eigen::Matrix4d worldFromTracker =
        trackerToWorld * referenceCalibration.inverse() * referenceToTracker.inverse();
    ASSERT_TRUE(tool.lastToolMatrix());
    EXPECT_TRUE(tool.lastToolMatrix()->isApprox(worldFromTracker * needleToTracker * tipToNeedle));
    EXPECT_EQ(*tool.rawToolMatrix(), needleToTracker);
    EXPECT_DOUBLE_EQ(tool.lastQuality(), 0.45);
    const auto fiducials = tool.lastRawFiducialData();
    ASSERT_TRUE(fiducials);
    EXPECT_TRUE(
        fiducials->fiducials()[0].position.isApprox(Math::transformPointAffine(worldFromTracker, fiducial)));
    EXPECT_EQ(fiducials->fiducials()[0].instrumentIdHash, 7u);

    stream.emitInstruments({instrument("Needle", needleToTracker)});
    EXPECT_FALSE(tool.lastRawFiducialData()) << "a sample without fiducials clears them";
}

TEST_F(ToolVisualizationTest, PoseCountsOnlyAboveTheThresholdWhileRunning)
{
    stream.emitInstruments({instrument("Needle", needleToTracker, 0.2)});
    EXPECT_FALSE(tool.lastToolMatrix()) << "quality equal to the threshold is not enough";
    EXPECT_FALSE(tool.rawToolMatrix());

    tool.trackingTargetId = "";
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    EXPECT_EQ(tool.lastQuality(), 0.0) << "an empty id selects nothing";

    tool.trackingTargetId = "Needle";
    tool.running = false;
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    EXPECT_EQ(tool.lastQuality(), 0.0);

    tool.running = true;
    stream.newData.emitSignal(std::make_shared<StreamData>());
    EXPECT_TRUE(log->contains("Tracking Stream data is null"));
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    EXPECT_TRUE(tool.lastToolMatrix());
}

TEST_F(ToolVisualizationTest, UpdateReferenceMakesTheCurrentPoseTheGivenOne)
{
    calibrate("Needle", translation(0, 0, -180));
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    const Eigen::Matrix4d wanted = pose({0, 0, 1}, 45, {100, 0, 0});
    tool.updateReference(wanted);
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    EXPECT_TRUE(tool.lastToolMatrix()->isApprox(wanted));
}

TEST_F(ToolVisualizationTest, UnusablePosesKeepAFiniteToolAndAreReportedOnce)
{
    stream.emitInstruments({instrument("Needle", needleToTracker)});
    const Eigen::Matrix4d good = *tool.lastToolMatrix();
    tool.trackingTargetRelId = "Reference";
    Eigen::Matrix4d collapsed = Eigen::Matrix4d::Zero(), broken = needleToTracker;
    broken(0, 3) = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < 3; ++i)
        stream.emitInstruments({instrument("Needle", needleToTracker), instrument("Reference", collapsed)});
    stream.emitInstruments({instrument("Needle", broken)});
    EXPECT_EQ(
        log->count(
            "The pose of Needle or of its reference cannot be used (not finite, or not invertible); the "
            "tool is shown as not tracked until it can."),
        1);
    EXPECT_FALSE(tool.lastToolMatrix());
    tool.qualityThreshold = -1.0;
    EXPECT_EQ(*tool.lastToolMatrix(), good);
}

TEST_F(ToolVisualizationTest, ConfigureWarnsAboutRetiredKeysAndResolvesExistingRelativeMeshPaths)
{
    Properties retired;
    retired.setParam("trackingTargetName", "Stylus");
    tool.configure(&retired);
    EXPECT_EQ(
        log->count("Tracker Stylus could not be selected with deprecated `trackingTargetName` parameter. Use "
                   "the `trackingTargetId` or `trackingTargetRelId` with the unique TrackerID::ID instead to "
                   "identify the tracking instruments."),
        1);
    EXPECT_EQ(tool.trackingTargetId.value(), "Needle");

    const QString relative = "tool-visualization-test.obj";
    QFile(relative).open(QIODevice::WriteOnly);
    for (const auto& [given, expected] : std::vector<std::pair<std::string, std::string>>{
             {":/TrackingPointer.obj", ":/TrackingPointer.obj"},
             {"missing/tool.obj", "missing/tool.obj"},
             {relative.toStdString(), QDir::current().absoluteFilePath(relative).toStdString()}}) {
        Properties meshOnly;
        meshOnly.setParam("mesh", given);
        tool.configure(&meshOnly);
        EXPECT_EQ(tool.mesh.value(), expected);
    }
    QFile::remove(relative);
}

TEST_F(ToolVisualizationTest, StreamThreadAndGuiThreadShareTheToolSafely)
{
    std::atomic<bool> done = false;
    std::thread tracker([&] {
        while (!done)
            stream.emitInstruments(
                {instrument("Needle", needleToTracker), instrument("Reference", translation(0, 0, 5))});
    });
    for (int i = 0; i < 500; ++i) {
        tool.trackingTargetRelId = i % 2 ? "Reference" : "";
        const auto matrix = tool.lastToolMatrix();
        EXPECT_TRUE(!matrix || matrix->allFinite());
        tool.lastRawFiducialData();
    }
    done = true;
    tracker.join();
}

TEST_F(ToolVisualizationTest, CreatedWithAnImageThatPlacesTheStream)
{
    SharedImageSet image({2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f));
    image.setMatrix(translation(0, 0, 42));
    Algorithm* created = nullptr;
    ASSERT_TRUE(ToolVisualizationAlgorithm::createCompatible({&image, &stream}, &created));
    std::unique_ptr<Algorithm> owned(created);
    EXPECT_EQ(stream.matrix(), image.matrix());
}

}  // namespace
