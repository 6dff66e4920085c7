#include "host/core/model/SharedImageSet.h"

#include <Eigen/LU>

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

namespace Tesselon {

namespace {

// Null when the product does not fit in std::size_t, which no vector of values can match.
std::optional<std::size_t> voxelCountOf(const std::array<int, 3>& dimensions)
{
    std::size_t count = 1;
    for (const int size : dimensions) {
        const auto factor = static_cast<std::size_t>(size);
        if (count > std::numeric_limits<std::size_t>::max() / factor)
            return std::nullopt;
        count *= factor;
    }
    return count;
}

void checkGrid(const std::array<int, 3>& dimensions, const Eigen::Vector3d& spacing, std::size_t valueCount)
{
    for (int axis = 0; axis < 3; ++axis) {
        if (dimensions[axis] < 1)
            throw std::invalid_argument(
                fmt::format("image size {} along axis {} is not positive", dimensions[axis], axis));
        if (!std::isfinite(spacing[axis]) || spacing[axis] <= 0)
            throw std::invalid_argument(
                fmt::format("image spacing {} along axis {} is not a positive number", spacing[axis], axis));
    }
    if (voxelCountOf(dimensions) != std::optional(valueCount))
        throw std::invalid_argument(
            fmt::format("an image of {} x {} x {} voxels needs one value per voxel, not {}", dimensions[0],
                        dimensions[1], dimensions[2], valueCount));
}

}  // namespace

SharedImageSet::SharedImageSet(std::array<int, 3> dimensions, const Eigen::Vector3d& spacing,
                               std::vector<float> values, std::string name)
    : Data(std::move(name)), m_dimensions(dimensions), m_spacing(spacing), m_values(std::move(values))
{
    checkGrid(m_dimensions, m_spacing, m_values.size());
}

Data::Kind SharedImageSet::kind() const
{
    return m_dimensions[2] > 1 ? Kind::Volume : Kind::Image;
}

float SharedImageSet::valueAt(int i, int j, int k) const
{
    if (i < 0 || j < 0 || k < 0 || i >= m_dimensions[0] || j >= m_dimensions[1] || k >= m_dimensions[2])
        throw std::out_of_range(
            fmt::format("voxel ({}, {}, {}) lies outside the image of {} x {} x {} voxels", i, j, k,
                        m_dimensions[0], m_dimensions[1], m_dimensions[2]));
    const auto width = static_cast<std::size_t>(m_dimensions[0]);
    const auto height = static_cast<std::size_t>(m_dimensions[1]);
    return m_values[static_cast<std::size_t>(i) + width * (static_cast<std::size_t>(j) + height * k)];
}

Eigen::Matrix4d SharedImageSet::matrixFromWorld() const
{
    return matrix().inverse();
}

Eigen::Matrix4d SharedImageSet::voxelToWorld() const
{
    Eigen::Matrix4d scaled = matrix();
    scaled.leftCols<3>() *= m_spacing.asDiagonal();
    return scaled;
}

}  // namespace Tesselon
