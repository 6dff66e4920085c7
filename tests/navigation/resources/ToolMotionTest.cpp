#include "navigation/resources/generator/ToolMotion.h"

#include <gtest/gtest.h>
#include <Eigen/Geometry>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace Tesselon {
namespace {

using Kind = ToolMotion::Kind;
using Eigen::Vector3d;

std::vector<ToolPose> poses(Kind kind)
{
    const ToolMotion motion(kind);
    std::vector<ToolPose> result;
    for (int frame = 0; frame < motion.frameCount(); ++frame)
        result.push_back(motion.pose(frame));
    return result;
}

double angleBetween(const Vector3d& a, const Vector3d& b)
{
    return std::atan2(a.cross(b).norm(), a.dot(b));
}

/// Total signed turn of a direction about an axis over the loop, failing if it ever turns backwards.
double loopTurn(const std::vector<Vector3d>& directions, const Vector3d& axis)
{
    double total = 0.0;
    for (std::size_t i = 0; i < directions.size(); ++i) {
        const Vector3d& a = directions[i];
        const Vector3d& b = directions[(i + 1) % directions.size()];
        const double step = std::atan2(axis.dot(a.cross(b)), a.dot(b) - a.dot(axis) * b.dot(axis));
        EXPECT_GT(step, 0.0) << "turns backwards after frame " << i;
        total += step;
    }
    return total;
}

TEST(ToolMotion, PivotingSweepsAConeAboutTheTipInTheDip)
{
    std::vector<Vector3d> axes;
    for (const ToolPose& pose : poses(Kind::Pivoting)) {
        EXPECT_TRUE(pose.tip.isZero(1e-12));
        EXPECT_NEAR(angleBetween(pose.shaftAxis(), Vector3d::UnitZ()), std::numbers::pi / 6.0, 1e-9);
        axes.push_back(pose.shaftAxis());
    }
    EXPECT_NEAR(loopTurn(axes, Vector3d::UnitZ()), 2.0 * std::numbers::pi, 1e-9);
}

TEST(ToolMotion, RotationSpinsTheToolAboutItsFixedShaft)
{
    const auto all = poses(Kind::Rotation);
    std::vector<Vector3d> sideways;
    for (const ToolPose& pose : all) {
        EXPECT_TRUE(pose.tip.isZero(1e-12));
        EXPECT_TRUE(pose.shaftAxis().isApprox(all.front().shaftAxis(), 1e-12));
        sideways.push_back(pose.orientation.col(0));
    }
    EXPECT_NEAR(loopTurn(sideways, all.front().shaftAxis()), 2.0 * std::numbers::pi, 1e-9);
}

TEST(ToolMotion, DipLiftsTheTipStraightUpAndPutsItBack)
{
    const auto all = poses(Kind::Dip);
    double highest = 0.0;
    for (const ToolPose& pose : all) {
        EXPECT_TRUE(pose.orientation.isApprox(all.front().orientation, 1e-12));
        EXPECT_NEAR(pose.tip.x(), 0.0, 1e-12);
        EXPECT_NEAR(pose.tip.y(), 0.0, 1e-12);
        EXPECT_GE(pose.tip.z(), 0.0);
        highest = std::max(highest, pose.tip.z());
    }
    EXPECT_EQ(all.front().tip.z(), 0.0) << "starts in the dip";
    EXPECT_GE(highest, 0.2) << "lifted clearly out of the dip (tool lengths)";
    EXPECT_LT(all.back().tip.z(), 0.05) << "back down before the loop restarts";
}

TEST(ToolMotion, FlipTurnsTheToolOverAcrossItsShaftAndBack)
{
    const auto all = poses(Kind::Flip);
    const Vector3d start = all.front().shaftAxis();
    double farthest = 0.0;
    for (const ToolPose& pose : all) {
        EXPECT_TRUE(pose.tip.isZero(1e-12));
        // Turning about an axis across the shaft keeps the shaft perpendicular to that axis.
        EXPECT_NEAR(pose.shaftAxis().dot(ToolMotion::flipAxis()), 0.0, 1e-12);
        farthest = std::max(farthest, angleBetween(start, pose.shaftAxis()));
    }
    EXPECT_NEAR(farthest, std::numbers::pi, 1e-9);
    EXPECT_LT(angleBetween(start, all.back().shaftAxis()), 0.1);
}

}  // namespace
}  // namespace Tesselon
