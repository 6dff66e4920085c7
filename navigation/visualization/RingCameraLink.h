#pragma once

#include <Eigen/Core>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Tesselon {

class Animation;
class GlCircle;

/// The navigation camera riding on the path rings: it sits on the ring the needle has last passed, looking
/// at the target, and glides to the next ring over half a second when the needle passes one, taking no
/// other pose meanwhile. Used by the navigation panel; GUI thread only.
class RingCameraLink
{
public:
    /// `setCamera` places the 3D view's camera (cameraToWorld) during a glide.
    explicit RingCameraLink(std::function<void(const Eigen::Matrix4d&)> setCamera);
    /// Stops a glide: it would move the camera for a panel that is gone.
    ~RingCameraLink();
    RingCameraLink(const RingCameraLink&) = delete;
    RingCameraLink& operator=(const RingCameraLink&) = delete;

    /// The camera on the ring the tool tip has passed, or none: without rings, while gliding, or when a
    /// glide to a newly passed ring starts now.
    std::optional<Eigen::Matrix4d> follow(const std::vector<const GlCircle*>& rings,
                                          const Eigen::Vector3d& target, const Eigen::Matrix4d& toolToWorld);
    /// The rings were rebuilt: the next ring followed is taken without a glide.
    void forget() { m_linkedRing = nullptr; }

private:
    void glide(const Eigen::Vector3d& from, const Eigen::Vector3d& to, const Eigen::Matrix4d& camera);

    std::function<void(const Eigen::Matrix4d&)> m_setCamera;
    const GlCircle* m_linkedRing = nullptr;
    std::shared_ptr<Animation> m_animation;
};

}  // namespace Tesselon
