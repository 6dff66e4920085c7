#pragma once

#include "host/gl/Camera.h"
#include "host/gl/GlView.h"

namespace Tesselon {

/// A 3D view of the scene. Its matrix is the camera pose; setting either keeps the other in step.
class GlVolumeView : public GlView
{
public:
    GlVolumeView();

    const Camera& camera() const { return m_camera; }
    void setCamera(const Camera& camera);

    /// Moves the camera to the pose (keeping its focal distance); a pose that is not rigid is logged and
    /// ignored.
    void setMatrix(const Eigen::Matrix4d& cameraToWorld) override;

private:
    Camera m_camera;
};

}  // namespace Tesselon
