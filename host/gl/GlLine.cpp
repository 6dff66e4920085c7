#include "host/gl/GlLine.h"

namespace Tesselon {

GlLine::GlLine(std::string name) : GlPointBasedAnnotation(std::move(name)) {}

double GlLine::length() const
{
    double sum = 0.0;
    for (std::size_t i = 1; i < points().size(); ++i)
        sum += (points()[i] - points()[i - 1]).norm();
    return sum;
}

}  // namespace Tesselon
