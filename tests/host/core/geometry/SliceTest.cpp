#include "host/core/geometry/Slice.h"

#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <Eigen/LU>

#include <limits>

namespace Tesselon {
namespace {

struct PlaneCase
{
    Slice::Plane plane;
    Eigen::Vector3d normal;
};

class AnatomicalPlanes : public testing::TestWithParam<PlaneCase>
{
};

// A tool's slice is centred on its tip but keeps the anatomical orientation, whichever way the tool turns.
TEST_P(AnatomicalPlanes, SliceFrameIsRightHandedWithTheAnatomicalNormalCentredOnTheToolTip)
{
    const Eigen::Vector3d centre(12, -7, 30);
    const Slice slice = Slice::fromPose(GetParam().plane, Tesselon::Test::pose({1, 2, 3}, 37.0, centre));
    EXPECT_EQ(slice.matrix(), Slice::anatomical(GetParam().plane, centre).matrix());
    const Eigen::Matrix4d sliceToWorld = slice.matrix();
    EXPECT_EQ(slice.normal(), GetParam().normal);
    const Eigen::Matrix3d rotation = sliceToWorld.topLeftCorner<3, 3>();
    EXPECT_TRUE((rotation.transpose() * rotation).isApprox(Eigen::Matrix3d::Identity()));
    EXPECT_NEAR(rotation.determinant(), 1.0, 1e-15);
    EXPECT_EQ(Eigen::Vector3d(sliceToWorld.block<3, 1>(0, 3)), centre);
    // A point's height above the slice is its signed distance, whichever side it is on.
    for (double height : {-4.0, 0.0, 2.5}) {
        const Eigen::Vector4d inSlice(3, -8, height, 1);
        EXPECT_NEAR(slice.distance((sliceToWorld * inSlice).head<3>()), height, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Slice, AnatomicalPlanes,
                         testing::Values(PlaneCase{Slice::Plane::Axial, Eigen::Vector3d::UnitZ()},
                                         PlaneCase{Slice::Plane::Coronal, Eigen::Vector3d::UnitY()},
                                         PlaneCase{Slice::Plane::Sagittal, Eigen::Vector3d::UnitX()}));

TEST(Slice, RefusesNonFiniteCentreOrPose)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(Slice::anatomical(Slice::Plane::Axial, {0, nan, 0}), std::invalid_argument);
    Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
    pose(1, 1) = std::numeric_limits<double>::infinity();
    EXPECT_THROW(Slice::fromPose(Slice::Plane::Coronal, pose), std::invalid_argument);
}

}  // namespace
}  // namespace Tesselon
