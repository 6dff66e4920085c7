#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// Rigid poses as 4x4 homogeneous matrices: conversions, distances and validity.
class Pose
{
public:
    /// The pose rotating by Euler angles (a, b, c) in degrees, then translating: rotation =
    /// Rz(c)·Ry(b)·Rx(a), that is a turn about x first, then about the fixed y, then about the fixed z
    /// (extrinsic x-y-z, the same as intrinsic z-y'-x''). Multiples of 90 degrees give exact zeros and ones,
    /// so (180, 0, 0) is exactly diag(1, -1, -1).
    static Eigen::Matrix4d eulerToMat(const Eigen::Vector3d& anglesDegrees,
                                      const Eigen::Vector3d& translation);

    /// The angle in radians, in [0, pi], of the rotation aᵀ·b that turns a into b. Accurate to rounding over
    /// the whole range, near 0 and near pi included.
    static double geodesicDistance(const Eigen::Matrix3d& a, const Eigen::Matrix3d& b);
    /// The geodesic distance between the rotation blocks of two poses; translations are ignored.
    static double geodesicDistance(const Eigen::Matrix4d& a, const Eigen::Matrix4d& b);

    /// Whether the pose is a proper rigid transform: finite entries, bottom row 0 0 0 1, and a rotation block
    /// that is orthonormal with determinant +1, each within `tolerance`.
    static bool isRigid(const Eigen::Matrix4d& pose, double tolerance = 1e-6);
};

}  // namespace Tesselon
