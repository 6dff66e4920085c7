#include "host/core/Math.h"

namespace Tesselon {

Eigen::Vector3d Math::transformPointAffine(const Eigen::Matrix4d& transform, const Eigen::Vector3d& point)
{
    return transform.topLeftCorner<3, 3>() * point + transform.topRightCorner<3, 1>();
}

}  // namespace Tesselon
