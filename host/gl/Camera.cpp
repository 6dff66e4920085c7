#include "host/gl/Camera.h"

#include "host/core/base/Log.h"
#include "host/core/geometry/Pose.h"

#include <Eigen/Geometry>

namespace Tesselon {

namespace {

constexpr const char* category = "Camera";
// Below this sine of the angle between up and the view direction the up vector is unusable.
constexpr double minimumUpSine = 1e-9;

/// The part of `up` orthogonal to the unit `direction`, normalised, or zero when there is none.
Eigen::Vector3d orthogonalUnit(const Eigen::Vector3d& up, const Eigen::Vector3d& direction)
{
    if (!up.allFinite() || up.norm() == 0.0)
        return Eigen::Vector3d::Zero();
    const Eigen::Vector3d unitUp = up.normalized();
    const Eigen::Vector3d orthogonal = unitUp - unitUp.dot(direction) * direction;
    return orthogonal.norm() < minimumUpSine ? Eigen::Vector3d::Zero()
                                             : Eigen::Vector3d(orthogonal.normalized());
}

/// An up vector for a view along `direction`: `up` where usable, else the world axis least aligned with
/// the view.
Eigen::Vector3d validUp(const Eigen::Vector3d& up, const Eigen::Vector3d& direction)
{
    const Eigen::Vector3d usable = orthogonalUnit(up, direction);
    if (usable.norm() > 0.0)
        return usable;
    Eigen::Index leastAligned = 0;
    direction.cwiseAbs().minCoeff(&leastAligned);
    return orthogonalUnit(Eigen::Vector3d::Unit(leastAligned), direction);
}

}  // namespace

Camera::Camera()
    : m_position(Eigen::Vector3d::UnitZ()),
      m_focalPoint(Eigen::Vector3d::Zero()),
      m_up(Eigen::Vector3d::UnitY())
{
}

Eigen::Vector3d Camera::viewDirection() const
{
    return (m_focalPoint - m_position).normalized();
}

void Camera::setLookAt(const Eigen::Vector3d& eye, const Eigen::Vector3d& centre, const Eigen::Vector3d& up)
{
    if (!eye.allFinite() || !centre.allFinite() || eye == centre) {
        Log::error(category, "Ignoring a camera look-at with coincident or non-finite eye and centre.");
        return;
    }
    m_position = eye;
    m_focalPoint = centre;
    m_up = validUp(up, viewDirection());
}

Eigen::Matrix4d Camera::matrix() const
{
    const Eigen::Vector3d z = -viewDirection();
    Eigen::Matrix4d cameraToWorld = Eigen::Matrix4d::Identity();
    cameraToWorld.block<3, 1>(0, 0) = m_up.cross(z);
    cameraToWorld.block<3, 1>(0, 1) = m_up;
    cameraToWorld.block<3, 1>(0, 2) = z;
    cameraToWorld.block<3, 1>(0, 3) = m_position;
    return cameraToWorld;
}

void Camera::setMatrix(const Eigen::Matrix4d& cameraToWorld)
{
    if (!Pose::isRigid(cameraToWorld)) {
        Log::error(category, "Ignoring a camera pose that is not a rigid transform.");
        return;
    }
    const double distance = focalDistance();
    m_position = cameraToWorld.block<3, 1>(0, 3);
    m_up = cameraToWorld.block<3, 1>(0, 1);
    m_focalPoint = m_position - distance * cameraToWorld.block<3, 1>(0, 2);
}

}  // namespace Tesselon
