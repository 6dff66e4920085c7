#pragma once

#include "host/gl/GlObject.h"

namespace Tesselon {

/// A circle in 3D, in object coordinates: a centre, two orthonormal axes spanning its plane and a radius.
/// The navigation view draws its path rings and tip ring with it.
class GlCircle : public GlObject
{
public:
    explicit GlCircle(std::string name = {});

    const Eigen::Vector3d& center() const { return m_center; }
    /// A non-finite centre is logged and ignored.
    void setCenter(const Eigen::Vector3d& center);

    /// Sets the plane from two directions; they are normalised, and `v` is made orthogonal to `u` so the
    /// shape stays a circle. Non-finite, zero or parallel directions are logged and the old axes kept.
    void setAxes(const Eigen::Vector3d& u, const Eigen::Vector3d& v);
    const Eigen::Vector3d& axisU() const { return m_u; }
    const Eigen::Vector3d& axisV() const { return m_v; }
    /// The unit normal u × v.
    Eigen::Vector3d normal() const;

    double radius() const { return m_radius; }
    /// A negative or non-finite radius is logged and ignored.
    void setRadius(double radius);

    /// The point of the circle at `angle` radians from `axisU()` towards `axisV()`.
    Eigen::Vector3d pointAt(double angle) const;

private:
    Eigen::Vector3d m_center = Eigen::Vector3d::Zero();
    Eigen::Vector3d m_u = Eigen::Vector3d::UnitX();
    Eigen::Vector3d m_v = Eigen::Vector3d::UnitY();
    double m_radius = 1.0;
};

}  // namespace Tesselon
