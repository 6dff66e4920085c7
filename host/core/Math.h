#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// Small numeric helpers on points and transforms.
class Math
{
public:
    /// R·p + t with the upper 3x4 block of `transform`; the bottom row is ignored (no projective division).
    static Eigen::Vector3d transformPointAffine(const Eigen::Matrix4d& transform,
                                                const Eigen::Vector3d& point);
};

}  // namespace Tesselon
