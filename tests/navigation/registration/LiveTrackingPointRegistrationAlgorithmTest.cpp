#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"

#include "host/core/config/Properties.h"
#include "host/core/geometry/Math.h"
#include "host/core/model/DataList.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Tesselon;
using namespace Tesselon::Test;
using Algo = LiveTrackingPointRegistrationAlgorithm;

namespace {

const std::vector<Eigen::Vector3d> landmarksInImage = {
    {0, 0, 0}, {80, 0, 0}, {0, 60, 0}, {0, 0, 40}, {50, 50, 30}};

class RegistrationTest : public testing::Test
{
protected:
    RegistrationTest()
    {
        image.setMatrix(pose({1, 0, 0}, 30, {5, -5, 100}));
        algorithm.trackedPoints().setTrackerId("Pointer");
    }

    /// Touches each landmark with the pointer in a tracker where the image sits at `imageToTracker`, and
    /// marks it in the image at its current world position; noise added to the tracked side.
    void touchLandmarks(const Eigen::Matrix4d& imageToTracker, double noiseMm = 0.0)
    {
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, noiseMm);
        for (const auto& landmark : landmarksInImage) {
            const Eigen::Vector3d jitter(noise(random), noise(random), noise(random));
            const Eigen::Vector3d tip = Math::transformPointAffine(imageToTracker, landmark) + jitter;
            stream.emitInstruments({instrument("Pointer", translation(tip.x(), tip.y(), tip.z()))});
            Eigen::Vector3d captured;
            const auto id = algorithm.addLiveTrackingPoint(captured);
            ASSERT_TRUE(id);
            EXPECT_TRUE(algorithm.setVolumePoint(*id, Math::transformPointAffine(image.matrix(), landmark)));
        }
    }

    Eigen::Vector3d landmarkInTracker(int i) const
    {
        return Math::transformPointAffine(image.matrix(), landmarksInImage[static_cast<std::size_t>(i)]);
    }

    LogCapture log;
    ManualTrackingStream stream;
    SharedImageSet image{{2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f), "CT"};
    Algo algorithm{stream, image};
    const Eigen::Matrix4d imageToTracker = pose({1, 2, 3}, 40, {-200, 30, -1500});
};

TEST_F(RegistrationTest, GlobalRegistrationMovesTheImageOntoTheTrackedLandmarksWhereTheStreamShowsThem)
{
    // The stream places the tracker in the world; the tools are drawn there, so the image must go there.
    const Eigen::Matrix4d trackerToWorld = pose({0, 1, 1}, 15, {20, 0, 1200});
    stream.setMatrix(trackerToWorld);
    EXPECT_TRUE(algorithm.trackerToVolumeTransform().isZero());
    touchLandmarks(imageToTracker, 0.3);
    algorithm.compute();
    ASSERT_EQ(algorithm.status(), Algorithm::Success);
    EXPECT_TRUE(image.matrix().isApprox(trackerToWorld * imageToTracker, 1e-2));
    EXPECT_NEAR(*algorithm.registrationError(), 0.3, 0.25);
    EXPECT_TRUE(log->contains("Registration error: "));
    EXPECT_TRUE(log->contains("Global registration successfull. Image registration was updated: T = \n"));
    EXPECT_EQ(algorithm.residuals().size(), landmarksInImage.size());

    // The volume points moved with the image: registering again leaves the image where it is.
    const Eigen::Matrix4d registered = image.matrix();
    algorithm.compute();
    EXPECT_TRUE(image.matrix().isApprox(registered, 1e-9));
    EXPECT_TRUE(algorithm.trackerToVolumeTransform().isApprox(trackerToWorld, 1e-9));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(landmarkInTracker(i).isApprox(
            Math::transformPointAffine(trackerToWorld, algorithm.trackedPoints().allPoints()[i]), 1e-2));
}

TEST_F(RegistrationTest, PredictedTargetErrorGrowsAwayFromTheFiducials)
{
    EXPECT_FALSE(algorithm.expectedTargetError({0, 0, 0}));
    touchLandmarks(imageToTracker, 0.5);
    algorithm.compute();
    const double atCentre = *algorithm.expectedTargetError(landmarkInTracker(4));
    const double farAway = *algorithm.expectedTargetError(landmarkInTracker(4) + Eigen::Vector3d(0, 0, 300));
    EXPECT_GT(atCentre, 0.0);
    EXPECT_GT(farAway, 2.0 * atCentre);
}

TEST_F(RegistrationTest, RelativeTypesWriteTheReferenceCalibrationAndRefuseWithoutAReference)
{
    const Eigen::Matrix4d imageBefore = image.matrix();
    touchLandmarks(imageToTracker);
    algorithm.registrationType = Algo::AdjustCalibrationOfRelativeTracker;
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algo::NoRelativeTracker);
    EXPECT_TRUE(algorithm.trackerToVolumeTransform().isZero());
    EXPECT_FALSE(stream.components().get<InstrumentCalibrationDataComponent>());

    // The points of this test are taken in tracker coordinates; naming a reference is enough here.
    algorithm.trackedPoints().setRelativeTrackerId("Reference");
    algorithm.compute();
    ASSERT_EQ(algorithm.status(), Algorithm::Success);
    EXPECT_TRUE(image.matrix().isApprox(imageBefore));
    const auto calibrations = stream.components().get<InstrumentCalibrationDataComponent>();
    ASSERT_TRUE(calibrations);
    const Eigen::Matrix4d volumeToReference = calibrations->calibration("Reference")->matrix;
    EXPECT_TRUE(volumeToReference.isApprox(algorithm.trackerToVolumeTransform().inverse()));
    EXPECT_TRUE(log->contains("Calibration of relative tracker is set to C=\n"));

    algorithm.registrationType = Algo::AdjustRegistrationOfVolume;
    algorithm.compute();
    EXPECT_TRUE(image.matrix().isApprox(imageToTracker, 1e-9));
    EXPECT_TRUE(calibrations->calibration("Reference")->matrix.isIdentity());
    EXPECT_TRUE(log->contains("Calibration of relative tracker reset to unity."));
}

TEST_F(RegistrationTest, TooFewOrCollinearPairsChangeNothing)
{
    const Eigen::Matrix4d imageBefore = image.matrix();
    for (const Eigen::Vector3d& p : {Eigen::Vector3d(0, 0, 0), Eigen::Vector3d(10, 0, 0)}) {
        algorithm.trackedPoints().addWorldPoint(p);
        algorithm.volumePoints().addPoint(p);
    }
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algo::TooFewCorrespondences);
    EXPECT_TRUE(log->contains("Need at least 3 point correspondeces for registration"));

    algorithm.trackedPoints().addWorldPoint({20, 0, 0});
    algorithm.volumePoints().addPoint({20, 0, 0});
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algo::TooFewCorrespondences);
    EXPECT_TRUE(algorithm.trackerToVolumeTransform().isZero());
    EXPECT_TRUE(image.matrix().isApprox(imageBefore));
    EXPECT_FALSE(algorithm.registrationError());
}

TEST_F(RegistrationTest, LiveCaptureUsesTheLatestTrustedPoseOfPointerAndReference)
{
    Eigen::Vector3d captured;
    EXPECT_FALSE(algorithm.addLiveTrackingPoint(captured)) << "nothing seen yet";

    stream.emitInstruments({instrument("Pointer", translation(1, 2, 3), 0.8)});
    stream.newData.emitSignal(std::make_shared<StreamData>());
    stream.emitInstruments({instrument("Reference", translation(0, 0, 1))});
    EXPECT_EQ(algorithm.addLiveTrackingPoint(captured), 0) << "quality 0.8 is good enough here";
    EXPECT_EQ(captured, Eigen::Vector3d(1, 2, 3));

    algorithm.trackedPoints().setRelativeTrackerId("Reference");
    EXPECT_FALSE(algorithm.addLiveTrackingPoint(captured)) << "the reference was not watched until now";
    stream.emitInstruments(
        {instrument("Reference", translation(0, 0, 1)), instrument("Pointer", translation(1, 2, 3), 0.79)});
    EXPECT_FALSE(algorithm.addLiveTrackingPoint(captured));
    stream.emitInstruments({instrument("Pointer", translation(1, 2, 3))});
    EXPECT_EQ(algorithm.addLiveTrackingPoint(captured), 1);
    EXPECT_EQ(captured, Eigen::Vector3d(1, 2, 2));
    EXPECT_EQ(algorithm.correspondenceId(), 0);

    EXPECT_FALSE(algorithm.setVolumePoint(0, {0, 0, 0}));
    EXPECT_TRUE(algorithm.setVolumePoint(1, {4, 5, 6}));
    EXPECT_EQ(algorithm.correspondenceId(), 1);
}

TEST_F(RegistrationTest, CorrespondencesListEveryIndexWithVolumePointsInImageCoordinates)
{
    for (int i = 0; i < 3; ++i)
        algorithm.trackedPoints().addWorldPoint({double(i), 0, 0});
    for (int i = 0; i < 2; ++i)
        algorithm.volumePoints().addPoint(landmarkInTracker(i));
    const auto pairs = algorithm.correspondences();
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[2]->id.value(), 2);
    EXPECT_EQ(pairs[2]->tracked.value(), Eigen::Vector3d(2, 0, 0));
    EXPECT_FALSE(pairs[2]->volume.value());
    EXPECT_TRUE(pairs[1]->volume.value()->isApprox(landmarksInImage[1]));

    algorithm.resetCorrespondences();
    EXPECT_TRUE(algorithm.trackedPoints().empty());
    EXPECT_TRUE(algorithm.volumePoints().empty());
}

TEST_F(RegistrationTest, ConfigurationRoundTripsTypeIdsAndBothPointSets)
{
    touchLandmarks(imageToTracker);
    algorithm.registrationType = Algo::AdjustRegistrationOfVolume;
    algorithm.trackedPoints().setRelativeTrackerId("Reference");
    Properties saved;
    algorithm.configuration(&saved);

    Algo restored(stream, image);
    restored.configure(&saved);
    EXPECT_EQ(restored.registrationType.value(), Algo::AdjustRegistrationOfVolume);
    EXPECT_EQ(restored.trackedPoints().trackerId(), "Pointer");
    EXPECT_EQ(restored.trackedPoints().relativeTrackerId(), std::optional<std::string>("Reference"));
    EXPECT_EQ(restored.trackedPoints().allPoints(), algorithm.trackedPoints().allPoints());
    EXPECT_EQ(restored.volumePoints().allPoints(), algorithm.volumePoints().allPoints());
}

TEST_F(RegistrationTest, CreatedForAVolumeAndAStream)
{
    Algorithm* created = nullptr;
    ASSERT_TRUE(Algo::createCompatible({&image, &stream}, &created));
    std::unique_ptr<Algorithm> owned(created);
    EXPECT_EQ(&dynamic_cast<Algo&>(*created).image(), &image);
}

}  // namespace
