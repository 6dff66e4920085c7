#include "host/gl/AnnotationDrawing.h"

#include "host/core/base/Log.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlSpline.h"
#include "host/gl/ViewGroup.h"

namespace Tesselon {
namespace {

constexpr const char* category = "AnnotationDrawing";
// The colour of a path while it is drawn, apart from the finished ones.
const Eigen::Vector3d drawingColour(1.0, 0.55, 0.1);

}  // namespace

AnnotationDrawing::AnnotationDrawing(DisplayWidgetMulti& display,
                                     std::function<void(std::unique_ptr<GlPointBasedAnnotation>)> finished,
                                     std::function<void(const std::string&)> promptChanged)
    : m_display(display), m_finished(std::move(finished)), m_promptChanged(std::move(promptChanged))
{
}

AnnotationDrawing::~AnnotationDrawing()
{
    stop();
}

void AnnotationDrawing::start(Kind kind)
{
    stop();
    m_kind = kind;
    if (kind == Kind::Line)
        m_drawing = std::make_unique<GlLine>();
    else
        m_drawing = std::make_unique<GlSpline>();
    m_drawing->setColor(drawingColour);
    m_display.viewGroup()->addObject(m_drawing.get());
    // Added anew, so it is offered each click before the interactions of the panels.
    m_display.addInteraction(this);
    m_promptChanged(prompt());
}

void AnnotationDrawing::finish()
{
    auto drawn = stop();
    if (drawn && drawn->points().size() >= 2)
        m_finished(std::move(drawn));
    else if (drawn)
        Log::warning(category, "A line or curve needs two points; nothing was drawn.");
    m_promptChanged(prompt());
}

void AnnotationDrawing::cancel()
{
    stop();
    m_promptChanged(prompt());
}

std::string AnnotationDrawing::prompt() const
{
    if (!m_drawing)
        return {};
    const std::size_t placed = m_drawing->points().size();
    if (m_kind == Kind::Line)
        return placed == 0 ? "Click the line's start in a slice view (Escape cancels)."
                           : "Click the line's end in a slice view (Escape cancels).";
    return placed == 0 ? "Click the curve's first point in a slice view (Escape cancels)."
           : placed == 1
               ? "Click the curve's next point in a slice view (Escape cancels)."
               : "Click the curve's next point; double-click, Enter or Draw Curve again ends it (Escape "
                 "cancels).";
}

bool AnnotationDrawing::press(const GlSliceView&, const Eigen::Vector3d& world, double)
{
    if (!m_drawing)
        return false;
    m_drawing->addPoint(world);
    if (m_kind == Kind::Line && m_drawing->points().size() == 2)
        finish();
    else
        m_promptChanged(prompt());
    return true;
}

bool AnnotationDrawing::doubleClick(const GlSliceView&, const Eigen::Vector3d&)
{
    if (!m_drawing)
        return false;
    // The double-click's first click placed the last point already.
    if (m_kind == Kind::Curve)
        finish();
    return true;
}

std::unique_ptr<GlPointBasedAnnotation> AnnotationDrawing::stop()
{
    if (!m_drawing)
        return nullptr;
    m_display.removeInteraction(this);
    m_display.viewGroup()->removeObject(m_drawing.get());
    m_display.update();
    return std::move(m_drawing);
}

}  // namespace Tesselon
