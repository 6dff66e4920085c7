#include "host/stream/sources/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using namespace Tesselon;

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

SimulatedInstrument known(const std::string& id, std::uint64_t seed = 1)
{
    return SimulatedInstrument::create(id, seed).value();
}

std::vector<double> times(double durationSeconds, double stepSeconds)
{
    std::vector<double> result;
    for (double t = 0.0; t <= durationSeconds; t += stepSeconds)
        result.push_back(t);
    return result;
}

Eigen::Matrix3d rotationAt(const SimulatedInstrument& instrument, double time)
{
    return instrument.trueMarkerToTracker(time).topLeftCorner<3, 3>();
}

std::vector<double> sortedSphereDistances(const std::vector<Eigen::Vector3d>& spheres)
{
    std::vector<double> distances;
    for (std::size_t i = 0; i < spheres.size(); ++i)
        for (std::size_t j = i + 1; j < spheres.size(); ++j)
            distances.push_back((spheres[i] - spheres[j]).norm());
    std::sort(distances.begin(), distances.end());
    return distances;
}

}  // namespace

TEST(SimulatedInstrument, EveryKnownToolHasRigidPosesAndADistinctAsymmetricMarker)
{
    EXPECT_FALSE(SimulatedInstrument::create("Scalpel", 1));
    std::vector<std::vector<double>> layouts;
    for (const std::string& id : SimulatedInstrument::knownIds()) {
        SCOPED_TRACE(id);
        const SimulatedInstrument instrument = known(id);
        EXPECT_EQ(instrument.id().ID(), id);
        EXPECT_NEAR(instrument.needleAxis().norm(), 1.0, 1e-12);
        ASSERT_GE(instrument.fiducials().size(), 3u);
        ASSERT_LE(instrument.fiducials().size(), 4u);
        const std::vector<double> distances = sortedSphereDistances(instrument.fiducials());
        EXPECT_GE(distances.front(), 40.0);
        EXPECT_LE(distances.back(), 200.0);
        // Distinct distances: no rotated copy of the layout fits it, so the marker's pose is unambiguous.
        for (std::size_t i = 1; i < distances.size(); ++i)
            EXPECT_GT(distances[i] - distances[i - 1], 2.0);
        for (const auto& other : layouts)
            EXPECT_NE(other, distances);
        layouts.push_back(distances);
        for (double t : times(60.0, 0.37)) {
            const Eigen::Matrix4d pose = instrument.trueMarkerToTracker(t);
            const Eigen::Matrix3d rotation = pose.topLeftCorner<3, 3>();
            ASSERT_TRUE((rotation.transpose() * rotation).isIdentity(1e-12)) << t;
            ASSERT_NEAR(rotation.determinant(), 1.0, 1e-12);
            ASSERT_EQ(pose.row(3), Eigen::RowVector4d(0, 0, 0, 1));
        }
    }
}

TEST(SimulatedInstrument, PivotingPointerKeepsItsTipInTheDivotWhileSweepingACone)
{
    const SimulatedInstrument pointer = known("Pivot");
    EXPECT_GT(pointer.tipOffset().norm(), 100.0);
    bool quadrants[2][2] = {};
    for (double t : times(30.0, 0.05)) {
        ASSERT_TRUE(pointer.trueTipInTracker(t).isApprox(pointer.pivotPoint(), 1e-12)) << t;
        // The shaft leans 25 to 35 degrees off the vertical, give or take the tip's small sideways offset.
        const Eigen::Vector3d shaft = rotationAt(pointer, t) * -pointer.tipOffset().normalized();
        const double tilt = std::acos(shaft.z()) / kDegree;
        EXPECT_GE(tilt, 23.5);
        EXPECT_LE(tilt, 36.5);
        quadrants[shaft.x() > 0][shaft.y() > 0] = true;
    }
    EXPECT_TRUE(quadrants[0][0] && quadrants[0][1] && quadrants[1][0] && quadrants[1][1]);
}

TEST(SimulatedInstrument, NeedleTurnsAboutItsOwnAxisThroughItsTip)
{
    const SimulatedInstrument needle = known("Needle");
    const Eigen::Vector3d axisInTracker = rotationAt(needle, 0.0) * needle.needleAxis();
    double largestTurn = 0.0;
    for (double t : times(12.0, 0.05)) {
        ASSERT_TRUE((rotationAt(needle, t) * needle.needleAxis()).isApprox(axisInTracker, 1e-12)) << t;
        ASSERT_TRUE(needle.trueTipInTracker(t).isApprox(needle.pivotPoint(), 1e-12)) << t;
        const Eigen::AngleAxisd turn(rotationAt(needle, t) * rotationAt(needle, 0.0).transpose());
        largestTurn = std::max(largestTurn, turn.angle());
    }
    EXPECT_GT(largestTurn, 120.0 * kDegree);
}

TEST(SimulatedInstrument, PathFollowerStaysOnItsSegmentAndReachesBothEnds)
{
    const SimulatedInstrument follower = known("Path");
    const auto& path = std::get<SimulatedMotion::Path>(follower.motion().parameters());
    const Eigen::Vector3d direction = path.end - path.start;
    double closestToStart = 1e9, closestToEnd = 1e9;
    for (double t : times(20.0, 0.01)) {
        const Eigen::Vector3d tip = follower.trueTipInTracker(t);
        const double along = (tip - path.start).dot(direction) / direction.squaredNorm();
        ASSERT_GE(along, -1e-12);
        ASSERT_LE(along, 1.0 + 1e-12);
        ASSERT_LT((path.start + along * direction - tip).norm(), 1e-9) << t;
        ASSERT_TRUE(rotationAt(follower, t).isApprox(rotationAt(follower, 0.0), 1e-12));
        closestToStart = std::min(closestToStart, (tip - path.start).norm());
        closestToEnd = std::min(closestToEnd, (tip - path.end).norm());
    }
    EXPECT_LT(closestToStart, 0.1);
    EXPECT_LT(closestToEnd, 0.1);
}

TEST(SimulatedInstrument, HandHeldPointersWanderWithinReachFollowingTheirSeedAndNumber)
{
    const SimulatedInstrument pointer = known("Pointer", 5);
    const auto& wander = std::get<SimulatedMotion::Wander>(pointer.motion().parameters());
    double farthest = 0.0;
    for (double t : times(3600.0, 0.7)) {
        const Eigen::Matrix4d pose = pointer.trueMarkerToTracker(t);
        const Eigen::Vector3d offset = pose.topRightCorner<3, 1>() - wander.centre.translation();
        ASSERT_LE(offset.cwiseAbs().maxCoeff(), wander.positionAmplitudeMm + 1e-9) << t;
        const Eigen::AngleAxisd tilt(pose.topLeftCorner<3, 3>() * wander.centre.linear().transpose());
        ASSERT_LE(tilt.angle(), std::sqrt(3.0) * wander.rotationAmplitudeDegrees * kDegree + 1e-9);
        farthest = std::max(farthest, offset.norm());
    }
    EXPECT_GT(farthest, 30.0);
    EXPECT_EQ(known("Pointer", 5).trueMarkerToTracker(4.2), pointer.trueMarkerToTracker(4.2));
    EXPECT_GT((known("Pointer", 6).trueTipInTracker(4.2) - pointer.trueTipInTracker(4.2)).norm(), 1.0);

    // Numbered pointers are extra tools with their own wander.
    EXPECT_EQ(SimulatedInstrument::canonicalId("needle"), "Needle");
    EXPECT_EQ(SimulatedInstrument::canonicalId("pointer16"), "Pointer16");
    for (const char* invalid : {"Pointer1", "Pointer07", "Pointer1000", "Pointer-3", "Pointerx", "Scalpel"})
        EXPECT_FALSE(SimulatedInstrument::canonicalId(invalid)) << invalid;
    EXPECT_EQ(known("Pointer2").id().ID(), "Pointer2");
    EXPECT_GT((known("Pointer2").trueTipInTracker(3.0) - known("Pointer3").trueTipInTracker(3.0)).norm(),
              1.0);
}
