#include "host/gl/GlPoint.h"

namespace Tesselon {

GlPoint::GlPoint(std::string name) : GlPointBasedAnnotation(std::move(name)) {}

void GlPoint::setPoint(const Eigen::Vector3d& point)
{
    setPoints({point});
}

Eigen::Vector3d GlPoint::point() const
{
    return points().empty() ? Eigen::Vector3d::Zero() : points().front();
}

}  // namespace Tesselon
