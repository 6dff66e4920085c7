#include "app/SyntheticPhantom.h"

#include "host/core/model/SharedImageSet.h"
#include "host/stream/sources/SimulatedPhantom.h"

#include <Eigen/Geometry>

namespace Tesselon {
namespace {

constexpr double spacingMm = 1.5;
constexpr float air = -1000.0f;
constexpr float softTissue = 40.0f;
constexpr float kidney = 150.0f;
constexpr float lesion = 260.0f;
constexpr float bone = 900.0f;
constexpr float acrylic = 120.0f;
constexpr float metal = 2500.0f;
// The registration phantom's block reaches this far beyond its outermost divots (mm), and its divots show
// as metal beads of this radius (mm), large enough to find at 1.5 mm voxels.
constexpr double blockMargin = 8.0;
constexpr double beadRadius = 2.5;

bool insideRegistrationPhantom(const Eigen::Vector3d& point, float& value)
{
    static const Eigen::Affine3d volumeToPhantom = SyntheticPhantom::divotPhantomPlacement().inverse();
    const Eigen::Vector3d inPhantom = volumeToPhantom * point;
    for (const Eigen::Vector3d& divot : SimulatedPhantom::divots())
        if ((inPhantom - divot).norm() <= beadRadius) {
            value = metal;
            return true;
        }
    static const Eigen::AlignedBox3d block = [] {
        Eigen::AlignedBox3d divots;
        for (const Eigen::Vector3d& divot : SimulatedPhantom::divots())
            divots.extend(divot);
        return Eigen::AlignedBox3d(divots.min().array() - blockMargin, divots.max().array() + blockMargin);
    }();
    const bool inBlock = block.contains(inPhantom);
    value = acrylic;
    return inBlock;
}

bool insideEllipsoid(const Eigen::Vector3d& point, const Eigen::Vector3d& centre,
                     const Eigen::Vector3d& radii)
{
    return ((point - centre).array() / radii.array()).square().sum() <= 1.0;
}

float intensityAt(const Eigen::Vector3d& point)
{
    // x: patient's left, y: posterior, z: superior, mm from the centre.
    if (float value; insideRegistrationPhantom(point, value))
        return value;
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

Eigen::Affine3d SyntheticPhantom::divotPhantomPlacement()
{
    // In front of the body: the phantom's x along the patient's left, its y superior, its z anterior, the
    // divots' centre 95 mm in front of the volume's centre.
    Eigen::Matrix3d rotation;
    rotation.col(0) = Eigen::Vector3d::UnitX();
    rotation.col(1) = Eigen::Vector3d::UnitZ();
    rotation.col(2) = -Eigen::Vector3d::UnitY();
    const Eigen::Vector3d divotsCentre(35.0, 20.0, 10.0);
    return Eigen::Translation3d(Eigen::Vector3d(0.0, -95.0, 0.0) - rotation * divotsCentre) * rotation;
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
