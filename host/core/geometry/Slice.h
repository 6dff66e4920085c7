#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// A plane through the patient for the slice views: one of the three anatomical planes in the LPS world
/// (x towards the patient's left, y posterior, z superior), placed at a centre point.
///
/// The in-plane axes are the directions a view shows to the right and upwards, and with the normal they
/// form a right-handed frame:
///     axial:    x axis = right (-x), y axis = anterior (-y), normal = superior  (+z)
///     coronal:  x axis = right (-x), y axis = superior (+z), normal = posterior (+y)
///     sagittal: x axis = posterior (+y), y axis = superior (+z), normal = left (+x)
class Slice
{
public:
    enum class Plane
    {
        Axial,
        Coronal,
        Sagittal,
    };

    /// The plane through `centre`. Throws std::invalid_argument for a non-finite centre.
    static Slice anatomical(Plane plane, const Eigen::Vector3d& centre);
    /// The plane through the tip of a tracked tool, the origin of its frame: the slice follows the tip but
    /// keeps its anatomical orientation, so the image does not tilt as the tool turns. Throws
    /// std::invalid_argument for a non-finite pose.
    static Slice fromPose(Plane plane, const Eigen::Matrix4d& toolToWorld);

    Plane plane() const { return m_plane; }
    const Eigen::Vector3d& centre() const { return m_centre; }
    const Eigen::Vector3d& normal() const { return m_normal; }
    const Eigen::Vector3d& xAxis() const { return m_xAxis; }
    const Eigen::Vector3d& yAxis() const { return m_yAxis; }

    /// sliceToWorld: maps slice coordinates (x, y in the plane, z along the normal, mm) to world.
    Eigen::Matrix4d matrix() const;
    /// The signed distance of a world point from the plane, positive on the normal's side.
    double distance(const Eigen::Vector3d& point) const;

private:
    Slice(Plane plane, const Eigen::Vector3d& centre);

    Plane m_plane;
    Eigen::Vector3d m_centre;
    Eigen::Vector3d m_normal;
    Eigen::Vector3d m_xAxis;
    Eigen::Vector3d m_yAxis;
};

}  // namespace Tesselon
