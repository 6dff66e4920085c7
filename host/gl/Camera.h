#pragma once

#include <Eigen/Core>

namespace Tesselon {

/// The camera of a 3D view: where it stands, what it looks at and which way is up. It always stays
/// valid: distinct eye and focal point, and an up vector orthogonal to the view direction.
class Camera
{
public:
    /// At (0, 0, 1) looking at the origin, y up.
    Camera();

    const Eigen::Vector3d& position() const { return m_position; }
    const Eigen::Vector3d& focalPoint() const { return m_focalPoint; }
    /// Unit vector orthogonal to the view direction.
    const Eigen::Vector3d& up() const { return m_up; }
    /// Unit vector from the position towards the focal point.
    Eigen::Vector3d viewDirection() const;
    double focalDistance() const { return (m_focalPoint - m_position).norm(); }

    /// Places the camera at `eye` looking at `centre`. `up` is made orthogonal to the view; when it is
    /// zero or parallel to the view, another up vector is taken. Coincident or non-finite eye and centre
    /// are logged and ignored.
    void setLookAt(const Eigen::Vector3d& eye, const Eigen::Vector3d& centre, const Eigen::Vector3d& up);

    /// The camera pose (cameraToWorld): x right, y up, z from the focal point back to the eye, translation
    /// the position.
    Eigen::Matrix4d matrix() const;
    /// Places the camera at a pose, keeping the focal distance; a pose that is not rigid is logged and
    /// ignored.
    void setMatrix(const Eigen::Matrix4d& cameraToWorld);

    bool operator==(const Camera&) const = default;

private:
    Eigen::Vector3d m_position;
    Eigen::Vector3d m_focalPoint;
    Eigen::Vector3d m_up;
};

}  // namespace Tesselon
