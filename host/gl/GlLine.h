#pragma once

#include "host/gl/GlPointBasedAnnotation.h"

namespace Tesselon {

/// A straight line annotation: a polyline through its points (usually two), e.g. a planned needle path.
class GlLine : public GlPointBasedAnnotation
{
public:
    explicit GlLine(std::string name = {});

    /// Length of the polyline in object units (millimetres), as its distance label shows it.
    double length() const;
};

}  // namespace Tesselon
