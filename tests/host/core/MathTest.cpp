#include "host/core/Math.h"
#include "host/core/Pose.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

namespace Tesselon {
namespace {

TEST(MathTransformPointAffine, RotatesTranslatesAndIsUndoneByTheInverse)
{
    const Eigen::Matrix4d markerToTracker = Pose::eulerToMat({0, 0, 90}, {10, 20, 30});
    const Eigen::Vector3d point(1, 2, 3);
    const Eigen::Vector3d moved = Math::transformPointAffine(markerToTracker, point);
    EXPECT_TRUE(moved.isApprox(Eigen::Vector3d(8, 21, 33), 1e-15));

    const Eigen::Matrix4d general = Pose::eulerToMat({31, -7, 122}, {-4, 250, -1300});
    const Eigen::Matrix4d inverse = Eigen::Isometry3d(general).inverse().matrix();
    EXPECT_TRUE(Math::transformPointAffine(inverse, Math::transformPointAffine(general, point))
                    .isApprox(point, 1e-12));
}

TEST(MathTransformPointAffine, IgnoresTheBottomRow)
{
    Eigen::Matrix4d transform = Pose::eulerToMat({0, 0, 0}, {1, 1, 1});
    transform.row(3) << 0.5, 0, 0, 2;
    EXPECT_EQ(Math::transformPointAffine(transform, Eigen::Vector3d(2, 0, 0)), Eigen::Vector3d(3, 1, 1));
}

}  // namespace
}  // namespace Tesselon
