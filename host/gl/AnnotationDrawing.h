#pragma once

#include "host/gl/ViewInteraction.h"

#include <functional>
#include <memory>
#include <string>

namespace Tesselon {

class DisplayWidgetMulti;
class GlPointBasedAnnotation;

/// Draws a line or a curve with left clicks in the slice views: each click places a point, shown at once;
/// a line ends with its second point, a curve when `finish` is called or on a double-click. While it
/// draws it takes every click before anything else, so clicks place points instead of moving the slices.
/// The main window drives it from its Annotations menu and keys; it lives on the GUI thread.
class AnnotationDrawing : public ViewInteraction
{
public:
    enum class Kind
    {
        Line,
        Curve,
    };

    /// `finished` receives each completed line or curve; `promptChanged` what the user should do next (empty
    /// when nothing is being drawn). The display must outlive this object.
    AnnotationDrawing(DisplayWidgetMulti& display,
                      std::function<void(std::unique_ptr<GlPointBasedAnnotation>)> finished,
                      std::function<void(const std::string&)> promptChanged);
    ~AnnotationDrawing() override;
    AnnotationDrawing(const AnnotationDrawing&) = delete;
    AnnotationDrawing& operator=(const AnnotationDrawing&) = delete;

    /// Starts drawing; what was being drawn is dropped.
    void start(Kind kind);
    /// Hands on what was drawn; with fewer than two points nothing is handed on and the drawing only ends.
    void finish();
    /// Ends the drawing and drops its points.
    void cancel();
    bool isDrawing() const { return m_drawing != nullptr; }
    /// What is being drawn; meaningful while `isDrawing`.
    Kind kind() const { return m_kind; }
    std::string prompt() const;

    bool press(const GlSliceView& view, const Eigen::Vector3d& world, double tolerance) override;
    bool doubleClick(const GlSliceView& view, const Eigen::Vector3d& world) override;

private:
    /// Takes the drawn object out of the views; null when nothing was drawn.
    std::unique_ptr<GlPointBasedAnnotation> stop();

    DisplayWidgetMulti& m_display;
    std::function<void(std::unique_ptr<GlPointBasedAnnotation>)> m_finished;
    std::function<void(const std::string&)> m_promptChanged;
    Kind m_kind = Kind::Line;
    std::unique_ptr<GlPointBasedAnnotation> m_drawing;
};

}  // namespace Tesselon
