#include "host/core/model/PointCorrespondences.h"

#include "host/core/geometry/Pose.h"
#include "host/core/model/PointsOnImage.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using Points = std::vector<Eigen::Vector3d>;

Eigen::Vector3d gaussianVector(std::mt19937& random, double rms)
{
    std::normal_distribution<double> gauss(0.0, rms / std::sqrt(3.0));
    return {gauss(random), gauss(random), gauss(random)};
}

Eigen::Vector3d apply(const Eigen::Matrix4d& transform, const Eigen::Vector3d& p)
{
    return transform.topLeftCorner<3, 3>() * p + transform.topRightCorner<3, 1>();
}

Points randomPoints(std::mt19937& random, int count, double spreadMm)
{
    std::uniform_real_distribution<double> uniform(-spreadMm, spreadMm);
    Points points;
    for (int i = 0; i < count; ++i)
        points.emplace_back(uniform(random), uniform(random), uniform(random));
    return points;
}

/// Two sets on the heap, the second the first mapped by `transform`, with noise of this 3-D RMS on the first.
struct PairedSets
{
    std::shared_ptr<PointsOnImage> first = std::make_shared<PointsOnImage>();
    std::shared_ptr<PointsOnImage> second = std::make_shared<PointsOnImage>();
    PointCorrespondences pairs{first, second};

    PairedSets(const Points& truth, const Eigen::Matrix4d& transform, std::mt19937& random, double noiseRms)
    {
        for (const auto& p : truth) {
            first->addPoint(p + gaussianVector(random, noiseRms));
            second->addPoint(apply(transform, p));
        }
    }
};

std::string refusal(const PointCorrespondences& pairs, const std::optional<std::vector<int>>& subset = {})
{
    try {
        pairs.fitRigid(nullptr, subset ? &*subset : nullptr);
    } catch (const PointCorrespondences::FitRefused& error) {
        return error.what();
    }
    return "accepted";
}

TEST(PointCorrespondencesFit, RecoversTransformsExactlyWithoutNoiseFittingOnlyTheListedPairs)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; ++trial) {
        const Eigen::Matrix4d truth = Tesselon::Test::randomPose(random);
        PairedSets sets(randomPoints(random, 3 + trial % 5, 100.0), truth, random, 0.0);
        double error = -1.0;
        const Eigen::Matrix4d fitted = sets.pairs.fitRigid(&error);
        EXPECT_TRUE(fitted.isApprox(truth, 1e-9)) << fitted << "\n\n" << truth;
        EXPECT_LT(error, 1e-9);
    }

    const Eigen::Matrix4d truth = Tesselon::Test::randomPose(random);
    PairedSets sets(randomPoints(random, 5, 100.0), truth, random, 0.0);
    sets.first->setPoint(2, *sets.first->point(2) + Eigen::Vector3d(30.0, 0.0, 0.0));

    const std::vector<int> withoutOutlier = {0, 1, 3, 4};
    double error = -1.0;
    EXPECT_TRUE(sets.pairs.fitRigid(&error, &withoutOutlier).isApprox(truth, 1e-9));
    EXPECT_LT(error, 1e-9);
    sets.pairs.fitRigid(&error);
    EXPECT_GT(error, 1.0);
}

TEST(PointCorrespondencesFit, RecoversTransformsFromNoisyPointsWithinNoiseBounds)
{
    constexpr double kNoise = 0.5;
    constexpr int kPoints = 8;
    std::mt19937 random(11);
    for (int trial = 0; trial < 50; ++trial) {
        const Eigen::Matrix4d truth = Tesselon::Test::randomPose(random);
        const Points points = randomPoints(random, kPoints, 80.0);
        PairedSets sets(points, truth, random, kNoise);
        double error = 0.0;
        const Eigen::Matrix4d fitted = sets.pairs.fitRigid(&error);

        EXPECT_TRUE(Pose::isRigid(fitted, 1e-9));
        // Expected rotation error ~ FLE / (sqrt(N) * spread) = 0.004 rad; expected error at the centroid
        // ~ FLE / sqrt(N) = 0.18 mm. The bounds are five times those.
        EXPECT_LT(Pose::geodesicDistance(fitted, truth), 0.02);
        const Eigen::Vector3d centroid =
            Eigen::Map<const Eigen::Matrix3Xd>(points[0].data(), 3, kPoints).rowwise().mean();
        EXPECT_LT((apply(fitted, centroid) - apply(truth, centroid)).norm(), 0.9);
        // E[FRE^2] = (1 - 2/N) FLE^2: 0.43 mm; a single trial scatters around it.
        EXPECT_GT(error, 0.1);
        EXPECT_LT(error, 1.0);
    }
}

TEST(PointCorrespondences, PairsByIndexMeasuresResidualsAndRefusesDegenerateOrInvalidFits)
{
    PointsOnImage first, second;
    PointCorrespondences pairs(first, second);
    first.addPoints({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}});
    second.addPoints({{1, 0, 0}, {11, 0, 0}, {1, 10, 0}});
    EXPECT_EQ(pairs.size(), 3);
    const Eigen::Matrix4d shift = Eigen::Affine3d(Eigen::Translation3d(1, 0, 0)).matrix();
    EXPECT_TRUE(pairs.fitRigid().isApprox(shift, 1e-12));

    pairs.clear();
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());
    EXPECT_THROW(PointCorrespondences(nullptr, std::make_shared<PointsOnImage>()), std::invalid_argument);

    std::mt19937 random(13);
    const Eigen::Matrix4d truth = Tesselon::Test::randomPose(random);
    PairedSets sets(randomPoints(random, 5, 100.0), truth, random, 0.0);
    sets.second->setPoint(1, *sets.second->point(1) + Eigen::Vector3d(0.0, 3.0, 4.0));
    sets.first->addPoint({1, 2, 3});  // unpaired: no residual

    const std::vector<double> residuals = sets.pairs.residuals(truth);
    ASSERT_EQ(residuals.size(), 5u);
    for (std::size_t i = 0; i < residuals.size(); ++i)
        EXPECT_NEAR(residuals[i], i == 1 ? 5.0 : 0.0, 1e-9) << "pair " << i;

    std::mt19937 degenerate(5);
    PairedSets two(randomPoints(degenerate, 2, 100.0), Eigen::Matrix4d::Identity(), degenerate, 0.0);
    EXPECT_EQ(refusal(two.pairs), "A rigid fit needs at least 3 point pairs; 2 are available.");

    // A third point 0.5 um off the line still leaves the rotation about it undetermined.
    Points line = {{0, 0, 0}, {10, 10, 0}, {20, 20, 0}, {30, 30, 0.0005}};
    PairedSets collinear(line, Eigen::Matrix4d::Identity(), degenerate, 0.0);
    EXPECT_EQ(
        refusal(collinear.pairs),
        "The points of the first point set lie on a line, so they cannot determine the rotation about it.");

    PairedSets coincident({{5, 5, 5}, {5, 5, 5}, {5, 5, 5.0001}}, Eigen::Matrix4d::Identity(), degenerate,
                          0.0);
    EXPECT_EQ(refusal(coincident.pairs),
              "The points of the first point set coincide (they spread less than 0.001 mm), so they cannot "
              "determine a rotation.");

    // Only the second set is degenerate.
    PointsOnImage spread, onLine;
    spread.addPoints({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}});
    onLine.addPoints({{0, 0, 0}, {100, 0, 0}, {200, 0, 0}});
    EXPECT_NE(refusal(PointCorrespondences(spread, onLine)).find("second point set lie on a line"),
              std::string::npos);

    PairedSets square(randomPoints(degenerate, 4, 100.0), Eigen::Matrix4d::Identity(), degenerate, 0.0);
    EXPECT_EQ(refusal(square.pairs, {{0, 1, 4}}), "Pair 4 does not exist; there are 4 pairs.");
    EXPECT_EQ(refusal(square.pairs, {{0, -1, 2}}), "Pair -1 does not exist; there are 4 pairs.");
    EXPECT_EQ(refusal(square.pairs, {{0, 1, 1, 2}}), "Pair 1 is listed twice.");
    EXPECT_EQ(refusal(square.pairs, {{0, 3}}), "A rigid fit needs at least 3 point pairs; 2 are available.");

    square.second->setPoint(3, {0.0, std::nan(""), 0.0});
    EXPECT_EQ(refusal(square.pairs), "Point 3 of the second point set is not a finite position.");
}

TEST(PointCorrespondencesTargetError, PredictionMatchesMonteCarloGrowsAwayFromTheFiducialsAndRefusesBadInput)
{
    constexpr double kFle = 0.5;
    constexpr int kTrials = 4000;
    std::mt19937 random(17);
    // An elongated configuration, so that the axes matter, and a target 100 mm off along the short one.
    const Points fiducials = {{-60, -10, 0}, {60, -10, 5}, {-50, 15, -10},
                              {55, 12, 8},   {0, 20, 20},  {5, -5, -20}};
    const Eigen::Vector3d target(10.0, 100.0, 0.0);
    const Eigen::Matrix4d truth = Tesselon::Test::randomPose(random);

    double squaredTre = 0.0, squaredFleEstimate = 0.0, predicted = 0.0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const PairedSets sets(fiducials, truth, random, kFle);
        const PointCorrespondences& pairs = sets.pairs;
        double fre = 0.0;
        const Eigen::Matrix4d fitted = pairs.fitRigid(&fre);
        squaredTre += (apply(fitted, target) - apply(truth, target)).squaredNorm() / kTrials;
        const double fle = PointCorrespondences::localisationErrorFromFit(fre, pairs.size());
        squaredFleEstimate += fle * fle / kTrials;
        if (trial == 0)
            predicted = pairs.expectedTargetError(apply(truth, target), kFle);
    }
    EXPECT_NEAR(std::sqrt(squaredTre) / predicted, 1.0, 0.15);
    EXPECT_NEAR(std::sqrt(squaredFleEstimate) / kFle, 1.0, 0.05);

    PointsOnImage first, second;
    first.addPoints({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}});
    second.addPoints(first.allPoints());
    const PointCorrespondences pairs(first, second);
    const Eigen::Vector3d centroid(25, 25, 25);
    // At the centroid every d_k is 0: TRE = FLE / sqrt(N).
    EXPECT_NEAR(pairs.expectedTargetError(centroid, 1.0), 0.5, 1e-12);
    EXPECT_GT(pairs.expectedTargetError(centroid + Eigen::Vector3d(200, 0, 0), 1.0),
              pairs.expectedTargetError(centroid + Eigen::Vector3d(100, 0, 0), 1.0));
    EXPECT_THROW(pairs.expectedTargetError(centroid, -1.0), std::invalid_argument);

    PointsOnImage line;
    line.addPoints({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
    EXPECT_THROW(PointCorrespondences(line, line).expectedTargetError(centroid, 1.0),
                 PointCorrespondences::FitRefused);
    EXPECT_NEAR(PointCorrespondences::localisationErrorFromFit(1.0, 4), std::sqrt(2.0), 1e-12);
    EXPECT_THROW(PointCorrespondences::localisationErrorFromFit(1.0, 2), std::invalid_argument);
}

}  // namespace
}  // namespace Tesselon
