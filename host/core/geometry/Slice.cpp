#include "host/core/geometry/Slice.h"

#include <fmt/format.h>
#include <Eigen/Geometry>

#include <stdexcept>

namespace Tesselon {

Slice::Slice(Plane plane, const Eigen::Vector3d& centre) : m_plane(plane), m_centre(centre)
{
    switch (plane) {
        case Plane::Axial:
            m_xAxis = -Eigen::Vector3d::UnitX();
            m_yAxis = -Eigen::Vector3d::UnitY();
            break;
        case Plane::Coronal:
            m_xAxis = -Eigen::Vector3d::UnitX();
            m_yAxis = Eigen::Vector3d::UnitZ();
            break;
        case Plane::Sagittal:
            m_xAxis = Eigen::Vector3d::UnitY();
            m_yAxis = Eigen::Vector3d::UnitZ();
            break;
        default:
            throw std::invalid_argument(
                fmt::format("Slice plane {} is not an anatomical plane.", static_cast<int>(plane)));
    }
    m_normal = m_xAxis.cross(m_yAxis);
}

Slice Slice::anatomical(Plane plane, const Eigen::Vector3d& centre)
{
    if (!centre.allFinite())
        throw std::invalid_argument(
            fmt::format("Slice centre is not finite: ({}, {}, {}).", centre.x(), centre.y(), centre.z()));
    return Slice(plane, centre);
}

Slice Slice::fromPose(Plane plane, const Eigen::Matrix4d& toolToWorld)
{
    if (!toolToWorld.allFinite())
        throw std::invalid_argument("Slice tool pose is not finite.");
    return anatomical(plane, toolToWorld.topRightCorner<3, 1>());
}

Eigen::Matrix4d Slice::matrix() const
{
    Eigen::Matrix4d sliceToWorld = Eigen::Matrix4d::Identity();
    sliceToWorld.block<3, 1>(0, 0) = m_xAxis;
    sliceToWorld.block<3, 1>(0, 1) = m_yAxis;
    sliceToWorld.block<3, 1>(0, 2) = m_normal;
    sliceToWorld.block<3, 1>(0, 3) = m_centre;
    return sliceToWorld;
}

double Slice::distance(const Eigen::Vector3d& point) const
{
    return m_normal.dot(point - m_centre);
}

}  // namespace Tesselon
