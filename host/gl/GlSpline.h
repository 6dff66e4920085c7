#pragma once

#include "host/gl/GlPointBasedAnnotation.h"

namespace Tesselon {

/// A smooth curve annotation through its control points, e.g. a planned path whose last point is the
/// target. The curve itself is evaluated by the geometry code from `points()`.
class GlSpline : public GlPointBasedAnnotation
{
public:
    explicit GlSpline(std::string name = {});
};

}  // namespace Tesselon
