#include "host/core/geometry/Pose.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <limits>
#include <numbers>
#include <random>

namespace Tesselon {
namespace {

constexpr double kPi = std::numbers::pi;

Eigen::Matrix3d turn(double radians, const Eigen::Vector3d& axis)
{
    return Eigen::AngleAxisd(radians, axis.normalized()).toRotationMatrix();
}

Eigen::Matrix3d randomRotation(std::mt19937& random)
{
    std::normal_distribution<double> gauss;
    return Eigen::Quaterniond(gauss(random), gauss(random), gauss(random), gauss(random))
        .normalized()
        .toRotationMatrix();
}

TEST(PoseGeodesic, IsTheRelativeRotationAngleSymmetricExactAtTheEndsAndAccurateNearThem)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(0.0, kPi);
    for (int trial = 0; trial < 100; ++trial) {
        const Eigen::Matrix3d a = randomRotation(random);
        const double expected = angle(random);
        const Eigen::Matrix3d b = a * randomRotation(random), c = a * turn(expected, b.col(0));
        EXPECT_NEAR(Pose::geodesicDistance(a, c), expected, 1e-12);
        EXPECT_NEAR(Pose::geodesicDistance(a, b), Pose::geodesicDistance(b, a), 1e-15);
    }

    const Eigen::Matrix3d a = randomRotation(random);
    const Eigen::Vector3d axis(0.3, -0.5, 0.8);
    EXPECT_EQ(Pose::geodesicDistance(a, a), 0.0);
    EXPECT_NEAR(Pose::geodesicDistance(a, a * turn(kPi, axis)), kPi, 1e-15);
    // acos of the trace loses everything below about 1e-8; the answer must keep its relative precision.
    EXPECT_NEAR(Pose::geodesicDistance(a, a * turn(1e-8, axis)), 1e-8, 1e-14);
    EXPECT_NEAR(Pose::geodesicDistance(a, a * turn(kPi - 1e-8, axis)), kPi - 1e-8, 1e-14);
    // The pose overload ignores translation.
    EXPECT_NEAR(Pose::geodesicDistance(Pose::eulerToMat({10, 20, 30}, {100, 0, 0}),
                                       Pose::eulerToMat({10, 20, 70}, {0, -50, 9})),
                40 * kPi / 180, 1e-14);
}

TEST(Pose, EulerTurnsAboutXThenFixedYThenFixedZAndRigidRefusesAllButRotations)
{
    const Eigen::Matrix4d good = Pose::eulerToMat({12, -70, 200}, {3, 4, -1500});
    EXPECT_TRUE(Pose::isRigid(good));

    Eigen::Matrix4d scaled = good;
    scaled.topLeftCorner<3, 3>() *= 1.001;
    Eigen::Matrix4d mirrored = good;
    mirrored.col(0) *= -1.0;
    Eigen::Matrix4d projective = good;
    projective(3, 0) = 0.1;
    Eigen::Matrix4d notANumber = good;
    notANumber(1, 3) = std::numeric_limits<double>::quiet_NaN();
    Eigen::Matrix4d infinite = good;
    infinite(0, 0) = std::numeric_limits<double>::infinity();
    for (const Eigen::Matrix4d& bad : {scaled, mirrored, projective, notANumber, infinite})
        EXPECT_FALSE(Pose::isRigid(bad)) << bad;

    EXPECT_TRUE(Pose::isRigid(scaled, 1e-2));

    const Eigen::Matrix4d pose = Pose::eulerToMat({180, 0, 0}, {1, 2, 3});
    EXPECT_EQ(Eigen::Matrix3d(pose.topLeftCorner<3, 3>()),
              Eigen::Vector3d(1, -1, -1).asDiagonal().toDenseMatrix());
    EXPECT_EQ(Eigen::Vector3d(pose.topRightCorner<3, 1>()), Eigen::Vector3d(1, 2, 3));
    EXPECT_EQ(pose.row(3), Eigen::RowVector4d(0, 0, 0, 1));

    // x first: the y axis goes to z, which the quarter turn about y then takes to x.
    const Eigen::Matrix3d xThenY =
        Pose::eulerToMat({90, 90, 0}, Eigen::Vector3d::Zero()).topLeftCorner<3, 3>();
    EXPECT_TRUE((xThenY * Eigen::Vector3d::UnitY()).isApprox(Eigen::Vector3d::UnitX(), 1e-15));

    const Eigen::Vector3d angles(23.0, -41.0, 137.0);
    const Eigen::Matrix3d expected = turn(angles.z() * kPi / 180, Eigen::Vector3d::UnitZ()) *
                                     turn(angles.y() * kPi / 180, Eigen::Vector3d::UnitY()) *
                                     turn(angles.x() * kPi / 180, Eigen::Vector3d::UnitX());
    EXPECT_TRUE(Eigen::Matrix3d(Pose::eulerToMat(angles, Eigen::Vector3d::Zero()).topLeftCorner<3, 3>())
                    .isApprox(expected, 1e-14));
}

}  // namespace
}  // namespace Tesselon
