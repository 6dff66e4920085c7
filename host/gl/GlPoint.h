#pragma once

#include "host/gl/GlPointBasedAnnotation.h"

namespace Tesselon {

/// A point marker, e.g. a tracked tool tip. Usually holds one point.
class GlPoint : public GlPointBasedAnnotation
{
public:
    explicit GlPoint(std::string name = {});

    using GlPointBasedAnnotation::setPoint;
    /// Makes `point` the only point; a non-finite point is logged and ignored.
    void setPoint(const Eigen::Vector3d& point);
    /// The first point, or the origin while there is none.
    Eigen::Vector3d point() const;
};

}  // namespace Tesselon
