#include "navigation/visualization/SliceFollowing.h"

#include "host/core/geometry/Pose.h"
#include "host/core/geometry/Slice.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <Eigen/LU>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const Eigen::Matrix3d identity = Eigen::Matrix3d::Identity();
const Eigen::Matrix3d swapXY{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
const Eigen::Matrix3d swapYZ{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
const Eigen::Matrix3d cycle{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};

}  // namespace

TEST(SliceFollowing, SnapsToThePermutationClosestToTheToolAxesAndKeepsItAProperRotation)
{
    struct Case
    {
        const char* tool;
        Eigen::Matrix4d toolToWorld;
        SliceFollowing::Permutation permutation;
        Eigen::Matrix3d snapped;
    };
    const Case cases[] = {
        {"aligned", translation(5, 6, 7), {0, 1, 2}, identity},
        {"all axes as close: the first wins", Eigen::Matrix4d::Ones(), {0, 1, 2}, identity},
        {"90 about z swaps x, y; odd: negated", pose({0, 0, 1}, 90, {0, 0, 0}), {1, 0, 2}, -swapXY},
        {"80 about x swaps y, z; odd: negated", pose({1, 0, 0}, 80, {0, 0, 0}), {0, 2, 1}, -swapYZ},
        {"120 about the diagonal; even: kept", pose({1, 1, 1}, 120, {0, 0, 0}), {2, 0, 1}, cycle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        const auto permutation = SliceFollowing::closestAxisPermutation(c.toolToWorld);
        EXPECT_EQ(permutation, c.permutation);
        const Eigen::Matrix4d snapped = SliceFollowing::permutationRotation(permutation);
        EXPECT_EQ(Eigen::Matrix3d(snapped.topLeftCorner<3, 3>()), c.snapped);
        EXPECT_TRUE(Pose::isRigid(snapped));
    }
}

TEST(SliceFollowing, ViewsSnapToTheAnatomicalPlanesOfAnAlignedToolOrOnlyTakeItsTip)
{
    const Eigen::Matrix4d toolToWorld = pose({1, 2, 3}, 40, {10, 20, 30});
    const Eigen::Matrix4d viewToWorld = pose({0, 1, 0}, 15, {-5, 0, 5});
    const Eigen::Matrix4d moved =
        SliceFollowing({.withRotation = false}).viewMatrix(1, toolToWorld, viewToWorld);
    EXPECT_EQ(Eigen::Matrix3d(moved.topLeftCorner<3, 3>()),
              Eigen::Matrix3d(viewToWorld.topLeftCorner<3, 3>()));
    EXPECT_EQ(Eigen::Vector3d(moved.col(3).head(3)), Eigen::Vector3d(10, 20, 30));
    // A tool aligned with the world puts the snapped views on the anatomical planes through its tip.
    const SliceFollowing snapping({.withRotation = true, .snapToClosestAxis = true});
    for (int view = 0; view < 3; ++view)
        EXPECT_TRUE(snapping.viewMatrix(view, translation(10, -20, 30), viewToWorld)
                        .isApprox(Slice::anatomical(static_cast<Slice::Plane>(view), {10, -20, 30}).matrix()))
            << "view " << view;
}

TEST(SliceFollowing, IgnoringInPlaneTranslationMovesAViewOnlyAlongItsNormal)
{
    const Eigen::Matrix4d toolToWorld = pose({1, 0, 1}, 30, {10, 20, 30});
    for (const bool withRotation : {false, true}) {
        SCOPED_TRACE(withRotation ? "with rotation" : "without rotation");
        const SliceFollowing following({.withRotation = withRotation, .ignoreInPlaneTranslation = true});
        for (int view = 0; view < 3; ++view) {
            // Where the view settles for this tool, then the tool moves within and across that plane.
            const Eigen::Matrix4d settled =
                following.viewMatrix(view, toolToWorld, Eigen::Matrix4d::Identity());
            const Eigen::Matrix4d view1 = following.viewMatrix(view, toolToWorld, settled);
            const Eigen::Vector3d inPlane = 7.0 * settled.block<3, 1>(0, 0) - 3.0 * settled.block<3, 1>(0, 1);
            const Eigen::Vector3d normal = settled.block<3, 1>(0, 2);
            Eigen::Matrix4d slid = toolToWorld;
            slid.topRightCorner<3, 1>() += inPlane;
            EXPECT_TRUE(following.viewMatrix(view, slid, view1).isApprox(view1)) << "view " << view;
            Eigen::Matrix4d pushed = slid;
            pushed.topRightCorner<3, 1>() += 4.0 * normal;
            const Eigen::Matrix4d view2 = following.viewMatrix(view, pushed, view1);
            const Eigen::Vector3d expected = view1.topRightCorner<3, 1>() + 4.0 * normal;
            EXPECT_TRUE(view2.col(3).head(3).isApprox(expected)) << "view " << view;
        }
    }
}
