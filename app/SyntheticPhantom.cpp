#include "app/SyntheticPhantom.h"

#include "host/core/model/SharedImageSet.h"

#include <Eigen/Geometry>

namespace Tesselon {
namespace {

constexpr double spacingMm = 1.5;
constexpr float air = -1000.0f;
constexpr float softTissue = 40.0f;
constexpr float kidney = 150.0f;
constexpr float lesion = 260.0f;
constexpr float bone = 900.0f;

bool insideEllipsoid(const Eigen::Vector3d& point, const Eigen::Vector3d& centre,
                     const Eigen::Vector3d& radii)
{
    return ((point - centre).array() / radii.array()).square().sum() <= 1.0;
}

float intensityAt(const Eigen::Vector3d& point)
{
    // x: patient's left, y: posterior, z: superior, mm from the centre.
    if (!insideEllipsoid(point, Eigen::Vector3d(0, 0, 0), Eigen::Vector3d(105, 75, 1e9)))
        return air;
    if (Eigen::Vector2d(point.x(), point.y() - 45).norm() < 14)
        return bone;
    if (insideEllipsoid(point, SyntheticPhantom::lesionOffset(), Eigen::Vector3d::Constant(10)))
        return lesion;
    for (double side : {-1.0, 1.0})
        if (insideEllipsoid(point, Eigen::Vector3d(side * 55, 12, 0), Eigen::Vector3d(22, 15, 40)))
            return kidney;
    return softTissue;
}

}  // namespace

Eigen::Vector3d SyntheticPhantom::lesionOffset()
{
    return {-30.0, 0.0, 10.0};
}

std::unique_ptr<SharedImageSet> SyntheticPhantom::create(const Eigen::Vector3d& centre, int size)
{
    const std::array<int, 3> dimensions = {size, size, size * 3 / 4};
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(dimensions[0]) * dimensions[1] * dimensions[2]);
    const Eigen::Vector3d half =
        0.5 * spacingMm * Eigen::Vector3d(dimensions[0] - 1, dimensions[1] - 1, dimensions[2] - 1);
    for (int z = 0; z < dimensions[2]; ++z)
        for (int y = 0; y < dimensions[1]; ++y)
            for (int x = 0; x < dimensions[0]; ++x)
                values.push_back(intensityAt(spacingMm * Eigen::Vector3d(x, y, z) - half));
    auto volume = std::make_unique<SharedImageSet>(dimensions, Eigen::Vector3d::Constant(spacingMm),
                                                   std::move(values), "Synthetic CT");
    volume->setModality(SharedImageSet::CT);
    Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
    pose.topRightCorner<3, 1>() = centre - half;
    volume->setMatrix(pose);
    return volume;
}

}  // namespace Tesselon
