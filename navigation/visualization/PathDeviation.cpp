#include "navigation/visualization/PathDeviation.h"

#include "host/core/geometry/Spline.h"

#include <fmt/format.h>

#include <Eigen/Geometry>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Tesselon {
namespace {

// Below this cosine between the needle and the target plane's normal (about 0.06 degrees off parallel) the
// crossing lies kilometres away and says nothing.
constexpr double parallelCosine = 1e-3;

double angleDegrees(const Eigen::Vector3d& a, const Eigen::Vector3d& b)
{
    return std::atan2(a.cross(b).norm(), a.dot(b)) * 180.0 / std::numbers::pi;
}

}  // namespace

std::optional<PathDeviation> PathDeviation::measure(const Spline& path, const Eigen::Matrix4d& toolToWorld)
{
    if (path.controlPoints().empty() || !toolToWorld.allFinite())
        return std::nullopt;
    PathDeviation deviation;
    deviation.tip = toolToWorld.topRightCorner<3, 1>();
    const Eigen::Vector3d advance = -toolToWorld.block<3, 1>(0, 2).normalized();
    const double arcLength = path.calculateNearestPointArcLength(deviation.tip);
    const double nearestCoordinate = path.arcLengthToSplineCoord(arcLength);
    deviation.depthRemaining = path.getCurveLength() - arcLength;
    deviation.lateralDistance = (deviation.tip - path.evaluate(nearestCoordinate)).norm();
    const Eigen::Vector3d pathDirection = path.evaluateTangent(nearestCoordinate);
    deviation.axisAngleDegrees = pathDirection.isZero() ? 0.0 : angleDegrees(advance, pathDirection);

    const double last = static_cast<double>(path.controlPoints().size() - 1);
    const Eigen::Vector3d target = path.controlPoints().back();
    const Eigen::Vector3d normal = path.evaluateTangent(last);
    const double approach = advance.dot(normal);
    if (!normal.isZero() && std::abs(approach) > parallelCosine) {
        const Eigen::Vector3d crossing =
            deviation.tip + (target - deviation.tip).dot(normal) / approach * advance;
        deviation.projectedMiss = (crossing - target).norm();
    }
    return deviation;
}

std::string PathDeviation::summary() const
{
    const std::string miss = projectedMiss ? fmt::format("{:.1f} mm", *projectedMiss) : std::string("none");
    return fmt::format("Depth {:.1f} mm · off path {:.1f} mm · angle {:.1f}° · projected miss {}",
                       depthRemaining, lateralDistance, axisAngleDegrees, miss);
}

}  // namespace Tesselon
