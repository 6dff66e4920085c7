#include "host/core/geometry/Pose.h"

#include <Eigen/Geometry>

#include <cmath>
#include <numbers>

namespace Tesselon {

namespace {

struct SinCos
{
    double sin;
    double cos;
};

// Exact values at the quarter turns, where std::sin(pi) would leave 1.2e-16 behind.
SinCos sinCosDegrees(double degrees)
{
    const double reduced = std::remainder(degrees, 360.0);
    if (reduced == 0.0)
        return {0.0, 1.0};
    if (reduced == 90.0)
        return {1.0, 0.0};
    if (reduced == -90.0)
        return {-1.0, 0.0};
    if (reduced == 180.0 || reduced == -180.0)
        return {0.0, -1.0};
    const double radians = reduced * std::numbers::pi / 180.0;
    return {std::sin(radians), std::cos(radians)};
}

Eigen::Matrix3d rotationX(double degrees)
{
    const auto [s, c] = sinCosDegrees(degrees);
    Eigen::Matrix3d r;
    r << 1, 0, 0, 0, c, -s, 0, s, c;
    return r;
}

Eigen::Matrix3d rotationY(double degrees)
{
    const auto [s, c] = sinCosDegrees(degrees);
    Eigen::Matrix3d r;
    r << c, 0, s, 0, 1, 0, -s, 0, c;
    return r;
}

Eigen::Matrix3d rotationZ(double degrees)
{
    const auto [s, c] = sinCosDegrees(degrees);
    Eigen::Matrix3d r;
    r << c, -s, 0, s, c, 0, 0, 0, 1;
    return r;
}

}  // namespace

Eigen::Matrix4d Pose::eulerToMat(const Eigen::Vector3d& anglesDegrees, const Eigen::Vector3d& translation)
{
    Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
    pose.topLeftCorner<3, 3>() =
        rotationZ(anglesDegrees.z()) * rotationY(anglesDegrees.y()) * rotationX(anglesDegrees.x());
    pose.topRightCorner<3, 1>() = translation;
    return pose;
}

double Pose::geodesicDistance(const Eigen::Matrix3d& a, const Eigen::Matrix3d& b)
{
    // atan2(2 sin, 2 cos) from the skew part and the trace: unlike acos of the trace, it keeps full precision
    // near 0 and near pi.
    const Eigen::Matrix3d relative = a.transpose() * b;
    const Eigen::Vector3d twiceSinAxis(relative(2, 1) - relative(1, 2), relative(0, 2) - relative(2, 0),
                                       relative(1, 0) - relative(0, 1));
    return std::atan2(twiceSinAxis.norm(), relative.trace() - 1.0);
}

double Pose::geodesicDistance(const Eigen::Matrix4d& a, const Eigen::Matrix4d& b)
{
    return geodesicDistance(Eigen::Matrix3d(a.topLeftCorner<3, 3>()),
                            Eigen::Matrix3d(b.topLeftCorner<3, 3>()));
}

bool Pose::isRigid(const Eigen::Matrix4d& pose, double tolerance)
{
    if (!pose.allFinite())
        return false;
    const Eigen::RowVector4d bottom(0, 0, 0, 1);
    if ((pose.row(3) - bottom).cwiseAbs().maxCoeff() > tolerance)
        return false;
    const Eigen::Matrix3d rotation = pose.topLeftCorner<3, 3>();
    const double orthonormalityError =
        (rotation.transpose() * rotation - Eigen::Matrix3d::Identity()).cwiseAbs().maxCoeff();
    return orthonormalityError <= tolerance && std::abs(rotation.determinant() - 1.0) <= tolerance;
}

}  // namespace Tesselon
