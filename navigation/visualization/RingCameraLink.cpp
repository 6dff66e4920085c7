#include "navigation/visualization/RingCameraLink.h"

#include "host/gl/Animations.h"
#include "host/gl/GlCircle.h"
#include "navigation/visualization/NavigationGeometry.h"

namespace Tesselon {

namespace {

constexpr int glideMs = 500;

}  // namespace

RingCameraLink::RingCameraLink(std::function<void(const Eigen::Matrix4d&)> setCamera)
    : m_setCamera(std::move(setCamera))
{
}

RingCameraLink::~RingCameraLink()
{
    if (m_animation)
        m_animation->cancel();
}

std::optional<Eigen::Matrix4d> RingCameraLink::follow(const std::vector<const GlCircle*>& rings,
                                                      const Eigen::Vector3d& target,
                                                      const Eigen::Matrix4d& toolToWorld)
{
    std::vector<Eigen::Vector3d> centres;
    for (const GlCircle* ring : rings)
        centres.push_back(ring->center());
    const int index = linkedRingIndex(centres, toolToWorld.topRightCorner<3, 1>());
    if (index < 0 || (m_animation && m_animation->state() == Animation::Running))
        return std::nullopt;
    const GlCircle* ring = rings[static_cast<std::size_t>(index)];
    const std::optional<Eigen::Matrix4d> camera = ringCamera(ring->center(), target, toolToWorld);
    if (!camera)
        return std::nullopt;
    const GlCircle* previous = std::exchange(m_linkedRing, ring);
    if (!previous || previous == ring)
        return camera;
    glide(previous->center(), ring->center(), *camera);
    return std::nullopt;
}

void RingCameraLink::glide(const Eigen::Vector3d& from, const Eigen::Vector3d& to,
                           const Eigen::Matrix4d& camera)
{
    m_animation = Animations::runAnimation(
        [setCamera = m_setCamera, from, to, camera](double t) {
            Eigen::Matrix4d step = camera;
            step.topRightCorner<3, 1>() = from + t * (to - from);
            setCamera(step);
        },
        glideMs, QEasingCurve::Linear);
}

}  // namespace Tesselon
