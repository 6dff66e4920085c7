#include "navigation/visualization/NavigationGeometry.h"

#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Tesselon;

TEST(NavigationGeometry, PerpendicularsAreUnitAndNormalToTheDirectionAlsoAlongX)
{
    for (const Eigen::Vector3d& d :
         {Eigen::Vector3d(1, 0, 0), Eigen::Vector3d(-1, 0, 0), Eigen::Vector3d(0, 0, 1),
          Eigen::Vector3d(0.6, 0.0, 0.8), Eigen::Vector3d(0.48, 0.6, 0.64)}) {
        const auto [a, b] = perpendiculars(d);
        EXPECT_NEAR(a.norm(), 1.0, 1e-12) << d.transpose();
        EXPECT_NEAR(b.norm(), 1.0, 1e-12) << d.transpose();
        EXPECT_NEAR(a.dot(d), 0.0, 1e-12) << d.transpose();
        EXPECT_NEAR(b.dot(d), 0.0, 1e-12) << d.transpose();
        EXPECT_NEAR(a.dot(b), 0.0, 1e-12) << d.transpose();
    }
    const auto [a, b] = perpendiculars(Eigen::Vector3d::Zero());
    EXPECT_TRUE(a.isZero() && b.isZero()) << "no direction, no plane, and nothing non-finite";
}

TEST(NavigationGeometry, RingCoordinatesNeverReachTheTargetAndExponentialPacksTowardsIt)
{
    for (int i = 0; i < 10; ++i) {
        EXPECT_DOUBLE_EQ(ringCoordinate(i, 10, RingSpacing::Equidistant), i / 10.0);
        EXPECT_DOUBLE_EQ(ringCoordinate(i, 10, RingSpacing::Exponential), std::log(1.0 + i) / std::log(11.0));
    }
    EXPECT_GT(
        ringCoordinate(9, 10, RingSpacing::Exponential) - ringCoordinate(8, 10, RingSpacing::Exponential),
        0.0);
    EXPECT_LT(
        ringCoordinate(9, 10, RingSpacing::Exponential) - ringCoordinate(8, 10, RingSpacing::Exponential),
        ringCoordinate(1, 10, RingSpacing::Exponential));
}

TEST(NavigationGeometry, FunnelWidensWithPathLeftAndStaysATubeWithoutGrowthOrOnOverflow)
{
    struct Case
    {
        bool funnel;
        double growth, distance, radius;
    };
    for (const Case& c : {Case{false, 100.0, 100.0, 15.0}, Case{true, 100.0, 100.0, 15.0 * std::exp(1.0)},
                          Case{true, 100.0, 0.0, 15.0}, Case{true, 0.0, 100.0, 15.0},
                          Case{true, 0.0, 0.0, 15.0}, Case{true, 1e-3, 1e4, 15.0}}) {
        const double radius = ringRadius(10.0, c.funnel, c.growth, c.distance);
        EXPECT_TRUE(std::isfinite(radius));
        EXPECT_NEAR(radius, c.radius, 1e-9)
            << c.funnel << " growth " << c.growth << " distance " << c.distance;
    }
}

TEST(NavigationGeometry, FadingRanksRingsByDistanceToTheTipAndLeavesExactTiesOpaque)
{
    // Ring order differs from distance order: distances 30, 10, 50, 20, 40.
    const std::vector<Eigen::Vector3d> centres{{0, 0, 30}, {0, 0, 10}, {0, 0, 50}, {0, 0, 20}, {0, 0, 40}};
    EXPECT_EQ(fadingOpacities(centres, Eigen::Vector3d::Zero()), (std::vector{0.4, 1.0, 0.0, 1.0, 0.4}));

    // The second ring at 10 mm ties with the first: it stays opaque and the others rank on without it.
    const std::vector<Eigen::Vector3d> tied{{0, 0, 10}, {0, 10, 0}, {0, 0, 20},
                                            {0, 0, 30}, {0, 0, 40}, {0, 0, 50}};
    EXPECT_EQ(fadingOpacities(tied, Eigen::Vector3d::Zero()), (std::vector{1.0, 1.0, 1.0, 0.4, 0.4, 0.0}));
}

TEST(NavigationGeometry, LinkedRingIsTheSecondToLastOneTheToolHasPassed)
{
    const std::vector<Eigen::Vector3d> centres{{0, 0, 0}, {0, 0, 10}, {0, 0, 20}, {0, 0, 30}};
    EXPECT_EQ(linkedRingIndex({}, Eigen::Vector3d::Zero()), -1);
    EXPECT_EQ(linkedRingIndex(centres, {0, 0, -5}), 0);
    EXPECT_EQ(linkedRingIndex(centres, {0, 0, 15}), 0);
    EXPECT_EQ(linkedRingIndex(centres, {0, 0, 20}), 1)
        << "a ring exactly as far as the tool counts as passed";
    EXPECT_EQ(linkedRingIndex(centres, {0, 0, 99}), 2);
}

TEST(NavigationGeometry, RingCameraStandsOnTheRingLookingAtTheTargetWithTheToolsUp)
{
    const Eigen::Matrix4d tool = Tesselon::Test::pose({1, 2, 3}, 40.0, {5, 5, 5});
    const Eigen::Vector3d ring(10, 0, 0), target(10, 0, 100);
    EXPECT_FALSE(ringCamera(target, target, tool)) << "on the target there is nowhere to look";
    const Eigen::Matrix4d camera = *ringCamera(ring, target, tool);
    const Eigen::Matrix3d rotation = camera.topLeftCorner<3, 3>();
    EXPECT_TRUE((rotation.transpose() * rotation).isIdentity(1e-12));
    EXPECT_NEAR(rotation.determinant(), 1.0, 1e-12);
    const Eigen::Vector3d position = camera.block<3, 1>(0, 3), back = camera.block<3, 1>(0, 2),
                          up = camera.block<3, 1>(0, 1);
    EXPECT_TRUE(position.isApprox(ring));
    EXPECT_TRUE((-back).isApprox(Eigen::Vector3d::UnitZ())) << "looks along -z towards the target";
    EXPECT_GT(up.dot(tool.block<3, 1>(0, 1)), 0.0);
}
