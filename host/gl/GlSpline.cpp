#include "host/gl/GlSpline.h"

namespace Tesselon {

GlSpline::GlSpline(std::string name) : GlPointBasedAnnotation(std::move(name)) {}

}  // namespace Tesselon
