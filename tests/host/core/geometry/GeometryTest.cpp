#include "host/core/geometry/Geometry.h"

#include "host/core/geometry/Pose.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using Poses = std::vector<Eigen::Matrix4d>;
using Tesselon::Test::randomUnitVector;

constexpr double kOrientationNoiseDegrees = 0.1;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

Eigen::Vector3d gaussianVector(std::mt19937& random, double rms)
{
    std::normal_distribution<double> gauss(0.0, rms / std::sqrt(3.0));
    return {gauss(random), gauss(random), gauss(random)};
}

Eigen::Matrix4d poseWithTipAt(const Eigen::Matrix3d& rotation, const Eigen::Vector3d& tipInMarker,
                              const Eigen::Vector3d& pivot)
{
    return (Eigen::Translation3d(pivot - rotation * tipInMarker) * Eigen::Affine3d(rotation)).matrix();
}

// `copies` rounds of the tool tilted by `degrees` each way about x and y with its tip at `pivot`.
Poses tiltedFourWays(double degrees, int copies, const Eigen::Vector3d& tip, const Eigen::Vector3d& pivot)
{
    Poses poses;
    for (int copy = 0; copy < copies; ++copy)
        for (const Eigen::Vector3d& axis : {Eigen::Vector3d(1, 0, 0), Eigen::Vector3d(0, 1, 0)})
            for (const double sign : {1.0, -1.0})
                poses.push_back(poseWithTipAt(
                    Pose::eulerToMat(sign * degrees * axis, {0, 0, 0}).topLeftCorner<3, 3>(), tip, pivot));
    return poses;
}

struct Recording
{
    Poses poses;
    Eigen::Vector3d tipInMarker;
    Eigen::Vector3d pivot;
};

// A random tool (tip 100-250 mm) pivoting in a cone about a random direction, with position noise of this 3-D
// RMS on the marker and 0.1 degree RMS on its orientation (none when noiseMm is 0).
Recording coneRecording(std::mt19937& random, double coneDegrees, double noiseMm, std::size_t samples = 300)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const Eigen::Vector3d tipDirection = randomUnitVector(random);
    Recording recording{
        {}, (100.0 + 150.0 * uniform(random)) * tipDirection, 300.0 * randomUnitVector(random)};
    const Eigen::Vector3d up = randomUnitVector(random);
    const Eigen::Matrix3d upright = Eigen::Quaterniond::FromTwoVectors(-tipDirection, up).toRotationMatrix();
    const double orientationNoise = noiseMm > 0.0 ? kRadiansPerDegree * kOrientationNoiseDegrees : 0.0;
    for (std::size_t i = 0; i < samples; ++i) {
        const double azimuth =
            2.0 * std::numbers::pi * 3.0 * static_cast<double>(i) / static_cast<double>(samples);
        const Eigen::Vector3d tiltAxis = Eigen::AngleAxisd(azimuth, up) * up.unitOrthogonal();
        const Eigen::Matrix3d rotation =
            Eigen::AngleAxisd(kRadiansPerDegree * coneDegrees * (0.6 + 0.4 * uniform(random)), tiltAxis) *
            upright;
        Eigen::Matrix4d pose = poseWithTipAt(rotation, recording.tipInMarker, recording.pivot);
        // The measured orientation is off by the noise; the true one placed the marker.
        const Eigen::Vector3d wobble = gaussianVector(random, orientationNoise);
        if (wobble.norm() > 0.0)
            pose.topLeftCorner<3, 3>() *=
                Eigen::AngleAxisd(wobble.norm(), wobble.normalized()).toRotationMatrix();
        pose.topRightCorner<3, 1>() += gaussianVector(random, noiseMm);
        recording.poses.push_back(pose);
    }
    return recording;
}

// Moves every `stride`-th pose as if the tip had slipped 5-20 mm; returns the moved indices.
std::vector<std::size_t> slip(Poses& poses, std::size_t stride, std::mt19937& random)
{
    std::uniform_real_distribution<double> length(5.0, 20.0);
    std::vector<std::size_t> moved;
    for (std::size_t i = stride / 2; i < poses.size(); i += stride) {
        poses[i].topRightCorner<3, 1>() += length(random) * randomUnitVector(random);
        moved.push_back(i);
    }
    return moved;
}

double tipError(const PivotFit& fit, const Recording& recording)
{
    return (fit.tipInMarker - recording.tipInMarker).norm();
}

TEST(PivotFit, RecoversExactToolsWithoutTrimmingRoundingNoise)
{
    std::mt19937 random(1);
    for (int trial = 0; trial < 20; ++trial) {
        const Recording recording = coneRecording(random, 25.0, 0.0, 50);
        const PivotFit fit = Geometry::fitSpherePivotingPoses(recording.poses);
        ASSERT_TRUE(fit.valid) << fit.problem;
        EXPECT_LT(tipError(fit, recording), 1e-9);
        EXPECT_LT((fit.pivotInTracker - recording.pivot).norm(), 1e-9);
        EXPECT_LT(fit.maxResidual, 1e-9);
        EXPECT_EQ(fit.samplesUsed, 50u);
        EXPECT_TRUE(fit.problem.empty());
    }
}

TEST(PivotFit, NoisyConesGiveSmallErrorsAndResidualsMatchingTheNoise)
{
    std::mt19937 random(2);
    for (const double cone : {20.0, 40.0}) {
        for (const double noise : {0.1, 0.5}) {
            const Recording recording = coneRecording(random, cone, noise);
            const PivotFit fit = Geometry::fitSpherePivotingPoses(recording.poses);
            const PivotFit algebraic = Geometry::fitSpherePivotingPosesAlgebraic(recording.poses);
            ASSERT_TRUE(fit.valid) << fit.problem;
            EXPECT_LT(tipError(fit, recording), 0.3);
            EXPECT_LT((fit.pivotInTracker - recording.pivot).norm(), 0.3);
            // Nothing to reject: the same least squares as the one-step fit.
            EXPECT_EQ(fit.samplesUsed, fit.samples);
            EXPECT_LT((fit.tipInMarker - algebraic.tipInMarker).norm(), 1e-9);
            // Position noise plus the lever of the orientation noise across the tip's two normal directions.
            const double lever = kRadiansPerDegree * kOrientationNoiseDegrees * recording.tipInMarker.norm();
            EXPECT_NEAR(fit.rmsResidual, std::sqrt(noise * noise + 2.0 / 3.0 * lever * lever),
                        0.1 * noise + 0.02);
            EXPECT_LE(fit.minResidual, fit.meanResidual);
            EXPECT_LE(fit.meanResidual, fit.rmsResidual);
            EXPECT_LE(fit.rmsResidual, fit.maxResidual);
            EXPECT_GT(fit.rotationRangeDegrees, 0.6 * cone);
            EXPECT_LT(fit.rotationRangeDegrees, 1.1 * cone);
        }
    }
}

TEST(PivotFit, NoiseLargestInDepthRejectsNothing)
{
    // Optical trackers measure depth worst; judged by residual norms, its tails would pass for slips.
    std::mt19937 random(9);
    std::normal_distribution<double> depthNoise(0.0, 0.5);
    for (int trial = 0; trial < 20; ++trial) {
        Recording recording = coneRecording(random, 30.0, 0.1);
        for (Eigen::Matrix4d& pose : recording.poses)
            pose(2, 3) += depthNoise(random);
        const PivotFit fit = Geometry::fitSpherePivotingPoses(recording.poses);
        ASSERT_TRUE(fit.valid) << fit.problem;
        EXPECT_EQ(fit.samplesUsed, fit.samples);
    }
}

TEST(PivotFit, SlippedPosesAreRejectedWhileTheOneStepFitDegrades)
{
    std::mt19937 random(3);
    double robustClean = 0.0, robustSlipped = 0.0, algebraicClean = 0.0, algebraicSlipped = 0.0;
    for (int trial = 0; trial < 20; ++trial) {
        const Recording recording = coneRecording(random, 20.0, 0.25);
        Poses slipped = recording.poses;
        const std::vector<std::size_t> moved = slip(slipped, 20, random);  // 5%
        const PivotFit fit = Geometry::fitSpherePivotingPoses(slipped);
        ASSERT_TRUE(fit.valid) << fit.problem;
        for (const std::size_t i : moved)
            EXPECT_FALSE(fit.inliers[i]) << i;
        EXPECT_EQ(fit.samplesUsed, fit.samples - moved.size());
        EXPECT_GT(fit.maxResidual, 4.0);  // the statistics cover the rejected poses too
        robustSlipped += tipError(fit, recording);
        robustClean += tipError(Geometry::fitSpherePivotingPoses(recording.poses), recording);
        algebraicSlipped += tipError(Geometry::fitSpherePivotingPosesAlgebraic(slipped), recording);
        algebraicClean += tipError(Geometry::fitSpherePivotingPosesAlgebraic(recording.poses), recording);
    }
    EXPECT_LT(robustSlipped, 1.2 * robustClean);
    EXPECT_GT(algebraicSlipped, 3.0 * algebraicClean);
}

TEST(PivotFit, SkipsNonRigidPosesAndRefusesWhenTooFewPosesAgree)
{
    std::mt19937 random(5);
    Recording recording = coneRecording(random, 30.0, 0.1, 40);
    recording.poses[3](0, 3) = std::numeric_limits<double>::quiet_NaN();
    recording.poses[7].topLeftCorner<3, 3>() *= 1.05;
    recording.poses[9].row(3) << 0, 0, 1, 1;
    const PivotFit fit = Geometry::fitSpherePivotingPoses(recording.poses);
    ASSERT_TRUE(fit.valid) << fit.problem;
    EXPECT_EQ(fit.samples, 40u);
    EXPECT_EQ(fit.samplesUsed, 37u);
    EXPECT_FALSE(fit.inliers[3] || fit.inliers[7] || fit.inliers[9]);
    EXPECT_TRUE(std::isfinite(fit.maxResidual));
    EXPECT_LT(tipError(fit, recording), 1.0);

    Recording slipping = coneRecording(random, 30.0, 0.25, 100);
    slip(slipping.poses, 10, random);
    PivotFitOptions options;
    options.minimumPoses = 95;
    const PivotFit refused = Geometry::fitSpherePivotingPoses(slipping.poses, options);
    EXPECT_FALSE(refused.valid);
    EXPECT_EQ(
        refused.problem,
        "Only 90 of the 100 usable poses agree on one pivot point; the tip slipped too often. Record again "
        "with the tip held still in its divot.");
}

void expectRefused(const Poses& poses, const std::string& problem)
{
    for (const PivotFit& fit :
         {Geometry::fitSpherePivotingPoses(poses), Geometry::fitSpherePivotingPosesAlgebraic(poses)}) {
        EXPECT_FALSE(fit.valid);
        EXPECT_EQ(fit.problem, problem);
        EXPECT_TRUE(fit.tipInMarker.hasNaN() && fit.pivotInTracker.hasNaN());
        EXPECT_EQ(fit.samplesUsed, 0u);
    }
}

TEST(PivotFit, RefusesMotionsThatCannotDetermineTheTipAndRangeIsTheLargestTurnFromTheMean)
{
    std::mt19937 random(6);
    const Eigen::Vector3d tip(0, 0, -150), pivot(10, 20, -1200);

    expectRefused({}, "The recording has only 0 usable poses; at least 10 are needed.");
    expectRefused(coneRecording(random, 30.0, 0.1, 9).poses,
                  "The recording has only 9 usable poses; at least 10 are needed.");
    Recording withBadPoses = coneRecording(random, 30.0, 0.1, 12);
    withBadPoses.poses[0](2, 2) = std::numeric_limits<double>::infinity();
    withBadPoses.poses[1].col(0) *= -1.0;
    withBadPoses.poses[2](0, 0) = std::numeric_limits<double>::quiet_NaN();
    expectRefused(withBadPoses.poses, "The recording has only 9 usable poses; at least 10 are needed.");

    expectRefused(tiltedFourWays(0.2, 25, tip, pivot),
                  "The tool hardly turned (largest rotation 0.2 degrees); pivot it further about its tip in "
                  "every direction.");

    const std::string oneAxis =
        "The tool turned about one axis only; the tip cannot be found from such a motion. "
        "Pivot it in a cone, not in a plane.";
    Poses swing, spin;
    for (int i = 0; i < 100; ++i) {
        const double angle = 30.0 * std::sin(0.2 * i);
        swing.push_back(
            poseWithTipAt(Pose::eulerToMat({angle, 0, 0}, {0, 0, 0}).topLeftCorner<3, 3>(), tip, pivot));
        // Turning about the shaft itself is single-axis too.
        spin.push_back(poseWithTipAt(
            Eigen::AngleAxisd(kRadiansPerDegree * angle, tip.normalized()).toRotationMatrix(), tip, pivot));
    }
    expectRefused(swing, oneAxis);
    expectRefused(spin, oneAxis);

    // Exact repeated poses also leave residuals of zero, which the scale floor keeps from being trimmed.
    const PivotFit ranged =
        Geometry::fitSpherePivotingPoses(tiltedFourWays(15, 3, tip, Eigen::Vector3d::Zero()));
    ASSERT_TRUE(ranged.valid) << ranged.problem;
    EXPECT_NEAR(ranged.rotationRangeDegrees, 15.0, 1e-9);
    EXPECT_LT((ranged.tipInMarker - tip).norm(), 1e-9);
}

}  // namespace
}  // namespace Tesselon
