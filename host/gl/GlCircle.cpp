#include "host/gl/GlCircle.h"

#include <Eigen/Geometry>

#include <cmath>
#include <optional>
#include <utility>

namespace Tesselon {

namespace {

constexpr const char* category = "GlCircle";
// Below this sine of the angle between the axes they no longer span a plane reliably.
constexpr double minimumAxisSine = 1e-6;

/// The orthonormal pair spanning the plane of u and v, or nothing when they do not span one.
std::optional<std::pair<Eigen::Vector3d, Eigen::Vector3d>> orthonormalAxes(const Eigen::Vector3d& u,
                                                                           const Eigen::Vector3d& v)
{
    if (!u.allFinite() || !v.allFinite() || u.norm() == 0.0 || v.norm() == 0.0)
        return std::nullopt;
    const Eigen::Vector3d unitU = u.normalized();
    const Eigen::Vector3d unitV = v.normalized();
    const Eigen::Vector3d orthogonalV = unitV - unitV.dot(unitU) * unitU;
    if (orthogonalV.norm() < minimumAxisSine)
        return std::nullopt;
    return std::make_pair(unitU, Eigen::Vector3d(orthogonalV.normalized()));
}

}  // namespace

GlCircle::GlCircle(std::string name) : GlObject(std::move(name)) {}

void GlCircle::setCenter(const Eigen::Vector3d& center)
{
    if (!center.allFinite()) {
        reject(category, "Ignoring a circle centre with non-finite coordinates.");
        return;
    }
    assign(m_center, center);
}

void GlCircle::setAxes(const Eigen::Vector3d& u, const Eigen::Vector3d& v)
{
    const auto axes = orthonormalAxes(u, v);
    if (!axes) {
        reject(category,
               "Ignoring circle axes that are non-finite, zero or parallel; keeping the old plane.");
        return;
    }
    if (axes->first == m_u && axes->second == m_v)
        return;
    m_u = axes->first;
    m_v = axes->second;
    changed.emitSignal();
}

void GlCircle::setRadius(double radius)
{
    if (!std::isfinite(radius) || radius < 0.0) {
        reject(category, "Ignoring a negative or non-finite circle radius.");
        return;
    }
    assign(m_radius, radius);
}

Eigen::Vector3d GlCircle::normal() const
{
    return m_u.cross(m_v);
}

Eigen::Vector3d GlCircle::pointAt(double angle) const
{
    return m_center + m_radius * (std::cos(angle) * m_u + std::sin(angle) * m_v);
}

}  // namespace Tesselon
