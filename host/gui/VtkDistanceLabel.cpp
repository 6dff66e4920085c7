#include "host/gui/VtkDistanceLabel.h"

#include "host/core/geometry/Spline.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlSpline.h"

#include <fmt/core.h>
#include <vtkBillboardTextActor3D.h>
#include <vtkTextProperty.h>
#include <Eigen/Geometry>

namespace Tesselon {

namespace {

constexpr int fontSize = 14;
// Pixels between the path's middle and the text, so the text does not sit on the line.
constexpr int offsetAbovePath = 10;

struct Measure
{
    double length = 0.0;
    Eigen::Vector3d middle = Eigen::Vector3d::Zero();
};

/// Length and middle point of the polyline through the points.
Measure polylineMeasure(const std::vector<Eigen::Vector3d>& points)
{
    Measure measure;
    for (std::size_t i = 1; i < points.size(); ++i)
        measure.length += (points[i] - points[i - 1]).norm();
    double remaining = measure.length / 2.0;
    measure.middle = points.front();
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double segment = (points[i] - points[i - 1]).norm();
        if (remaining <= segment && segment > 0.0) {
            measure.middle = points[i - 1] + (remaining / segment) * (points[i] - points[i - 1]);
            break;
        }
        remaining -= segment;
    }
    return measure;
}

Measure splineMeasure(const std::vector<Eigen::Vector3d>& points)
{
    const Spline spline(points);
    const double length = spline.getCurveLength();
    return {length, spline.evaluate(spline.arcLengthToSplineCoord(length / 2.0))};
}

}  // namespace

VtkDistanceLabel::VtkDistanceLabel() : m_actor(vtkBillboardTextActor3D::New())
{
    vtkTextProperty* property = m_actor->GetTextProperty();
    property->SetFontSize(fontSize);
    property->SetJustificationToCentered();
    property->SetVerticalJustificationToBottom();
    m_actor->SetDisplayOffset(0, offsetAbovePath);
}

VtkDistanceLabel::~VtkDistanceLabel()
{
    m_actor->Delete();
}

void VtkDistanceLabel::update(const GlPointBasedAnnotation& annotation)
{
    const std::vector<Eigen::Vector3d>& points = annotation.points();
    const bool shown = annotation.isVisible() && annotation.showsDistanceLabel() && points.size() >= 2;
    m_actor->SetVisibility(shown);
    if (!shown)
        return;
    const bool smooth = dynamic_cast<const GlSpline*>(&annotation) != nullptr;
    const Measure measure = smooth ? splineMeasure(points) : polylineMeasure(points);
    Eigen::Vector3d middle = (annotation.matrix() * measure.middle.homogeneous()).head<3>();
    m_actor->SetInput(text(measure.length).c_str());
    m_actor->SetPosition(middle.data());
    const Eigen::Vector3d& color = annotation.color();
    m_actor->GetTextProperty()->SetColor(color.x(), color.y(), color.z());
    m_actor->GetTextProperty()->SetOpacity(annotation.opacity());
}

std::string VtkDistanceLabel::text(double lengthMillimetres)
{
    return fmt::format("{:.1f} mm", lengthMillimetres);
}

}  // namespace Tesselon
