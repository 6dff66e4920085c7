#include "navigation/visualization/SliceFollowing.h"

#include "host/core/geometry/Pose.h"
#include "host/core/geometry/Slice.h"

#include <Eigen/LU>

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

/// viewToTool of each view without snapping, as Euler angles in degrees: the axial view looks along the
/// tool's shaft (its -z), the other two contain it.
constexpr std::array<std::array<double, 3>, 3> fixedOrientationAngles = {{
    {180.0, 0.0, 0.0},
    {180.0, 90.0, 0.0},
    {-90.0, 0.0, 0.0},
}};

double diagonalWeight(const Eigen::Matrix4d& toolToWorld, const SliceFollowing::Permutation& permutation)
{
    double sum = 0.0;
    for (int k = 0; k < 3; ++k)
        sum += std::abs(toolToWorld(k, permutation[k]));
    return sum;
}

}  // namespace

Eigen::Matrix4d SliceFollowing::viewMatrix(int view, const Eigen::Matrix4d& toolToWorld,
                                           const Eigen::Matrix4d& viewToWorld) const
{
    Eigen::Matrix4d followed = viewToWorld;
    if (m_options.withRotation)
        followed = toolToWorld * baseOrientation(view, toolToWorld, m_options.snapToClosestAxis);
    else
        followed.topRightCorner<3, 1>() = toolToWorld.topRightCorner<3, 1>();
    if (m_options.ignoreInPlaneTranslation) {
        const Eigen::Vector3d normal = viewToWorld.block<3, 1>(0, 2);
        const Eigen::Vector3d origin = viewToWorld.topRightCorner<3, 1>();
        const Eigen::Vector3d moved = followed.topRightCorner<3, 1>();
        followed.topRightCorner<3, 1>() = origin + (moved - origin).dot(normal) * normal;
    }
    return followed;
}

SliceFollowing::Permutation SliceFollowing::closestAxisPermutation(const Eigen::Matrix4d& toolToWorld)
{
    Permutation candidate = {0, 1, 2};
    Permutation best = candidate;
    double bestWeight = diagonalWeight(toolToWorld, candidate);
    while (std::next_permutation(candidate.begin(), candidate.end())) {
        const double weight = diagonalWeight(toolToWorld, candidate);
        if (weight > bestWeight) {
            bestWeight = weight;
            best = candidate;
        }
    }
    return best;
}

Eigen::Matrix4d SliceFollowing::permutationRotation(const Permutation& permutation)
{
    Eigen::Matrix4d rotation = Eigen::Matrix4d::Zero();
    for (int k = 0; k < 3; ++k)
        rotation(permutation[k], k) = 1.0;
    rotation(3, 3) = 1.0;
    // An odd permutation mirrors; turning all three axes round makes it a rotation again.
    if (rotation.determinant() < 0.0)
        rotation.topLeftCorner<3, 3>() *= -1.0;
    return rotation;
}

Eigen::Matrix4d SliceFollowing::baseOrientation(int view, const Eigen::Matrix4d& toolToWorld,
                                                bool snapToClosestAxis)
{
    const int index = std::clamp(view, 0, 2);
    if (!snapToClosestAxis) {
        const auto& angles = fixedOrientationAngles[index];
        return Pose::eulerToMat({angles[0], angles[1], angles[2]}, Eigen::Vector3d::Zero());
    }
    const Eigen::Matrix4d planeToWorld =
        Slice::anatomical(static_cast<Slice::Plane>(index), Eigen::Vector3d::Zero()).matrix();
    return permutationRotation(closestAxisPermutation(toolToWorld)) * planeToWorld;
}

}  // namespace Tesselon
