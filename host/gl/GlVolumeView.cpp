#include "host/gl/GlVolumeView.h"

namespace Tesselon {

GlVolumeView::GlVolumeView()
{
    storeMatrix(m_camera.matrix());
}

void GlVolumeView::setCamera(const Camera& camera)
{
    if (camera == m_camera)
        return;
    m_camera = camera;
    // A camera that only changed its focal distance keeps the pose but still changed.
    if (!storeMatrix(m_camera.matrix()))
        changed.emitSignal();
}

void GlVolumeView::setMatrix(const Eigen::Matrix4d& cameraToWorld)
{
    Camera moved = m_camera;
    moved.setMatrix(cameraToWorld);
    setCamera(moved);
}

}  // namespace Tesselon
