#include "host/gl/GlSliceView.h"

namespace Tesselon {

GlSliceView::GlSliceView(AnatomicalPlane plane) : m_plane(plane)
{
    storeMatrix(defaultMatrix(plane));
}

Eigen::Vector3d GlSliceView::normal() const
{
    return matrix().block<3, 1>(0, 2);
}

Eigen::Matrix4d GlSliceView::defaultMatrix(AnatomicalPlane plane)
{
    // Columns: in-plane x, in-plane y, normal; each a proper rotation.
    Eigen::Matrix3d rotation;
    switch (plane) {
        case Coronal:
            rotation << -1, 0, 0, 0, 0, 1, 0, 1, 0;
            break;
        case Sagittal:
            rotation << 0, 0, 1, 1, 0, 0, 0, 1, 0;
            break;
        case Axial:
        default:
            rotation.setIdentity();
            break;
    }
    Eigen::Matrix4d planeToWorld = Eigen::Matrix4d::Identity();
    planeToWorld.topLeftCorner<3, 3>() = rotation;
    return planeToWorld;
}

}  // namespace Tesselon
