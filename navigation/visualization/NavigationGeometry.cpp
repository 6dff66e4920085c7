#include "navigation/visualization/NavigationGeometry.h"

#include <Eigen/Geometry>

#include <cmath>
#include <map>

namespace Tesselon {
namespace {

Eigen::Vector3d normalizedIfPositive(const Eigen::Vector3d& v)
{
    const double length = v.norm();
    return length > 0.0 ? Eigen::Vector3d(v / length) : v;
}

}  // namespace

std::pair<Eigen::Vector3d, Eigen::Vector3d> perpendiculars(const Eigen::Vector3d& d)
{
    // Crossing with x fails only for d along x itself; z serves there.
    const bool alongX = d.y() == 0.0 && d.z() == 0.0 && std::abs(d.x()) == 1.0;
    const Eigen::Vector3d a =
        normalizedIfPositive(d.cross(alongX ? Eigen::Vector3d::UnitZ() : Eigen::Vector3d::UnitX()));
    return {a, normalizedIfPositive(d.cross(a))};
}

double ringCoordinate(int i, int count, RingSpacing spacing)
{
    if (count <= 0)
        return 0.0;
    if (spacing == RingSpacing::Exponential)
        return std::log1p(static_cast<double>(i)) / std::log1p(static_cast<double>(count));
    return static_cast<double>(i) / count;
}

double ringRadius(double targetRadius, bool funnel, double growth, double distanceToTarget)
{
    const double tube = 1.5 * targetRadius;
    if (!funnel || growth == 0.0)
        return tube;
    const double widened = tube * std::exp(distanceToTarget / growth);
    return std::isfinite(widened) ? widened : tube;
}

std::vector<double> fadingOpacities(const std::vector<Eigen::Vector3d>& centres, const Eigen::Vector3d& tip)
{
    std::vector<double> opacities(centres.size(), 1.0);
    std::map<double, std::size_t> byDistance;
    for (std::size_t i = 0; i < centres.size(); ++i)
        byDistance.emplace((centres[i] - tip).norm(), i);
    int rank = 0;
    for (const auto& [distance, ring] : byDistance) {
        opacities[ring] = rank < 2 ? 1.0 : rank < 4 ? 0.4 : 0.0;
        ++rank;
    }
    return opacities;
}

int linkedRingIndex(const std::vector<Eigen::Vector3d>& centres, const Eigen::Vector3d& tip)
{
    if (centres.empty())
        return -1;
    const double toolDistance = (centres.front() - tip).norm();
    int passed = 0;
    while (passed < static_cast<int>(centres.size()) &&
           (centres.front() - centres[static_cast<std::size_t>(passed)]).norm() <= toolDistance)
        ++passed;
    return std::max(passed - 2, 0);
}

std::optional<Eigen::Matrix4d> ringCamera(const Eigen::Vector3d& ringCentre, const Eigen::Vector3d& target,
                                          const Eigen::Matrix4d& toolToWorld)
{
    const Eigen::Vector3d z = normalizedIfPositive(ringCentre - target);
    const Eigen::Vector3d x = normalizedIfPositive(z.cross(-toolToWorld.block<3, 1>(0, 1)));
    const Eigen::Vector3d y = normalizedIfPositive(z.cross(x));
    if (x.isZero() || z.isZero())
        return std::nullopt;
    Eigen::Matrix4d camera = Eigen::Matrix4d::Identity();
    camera.topRows<3>() << x, y, z, ringCentre;
    return camera;
}

}  // namespace Tesselon
