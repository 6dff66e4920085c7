#pragma once

#include "host/core/base/SignalReceiver.h"

#include <Eigen/Core>
#include <QImage>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QMouseEvent;
class QVTKOpenGLNativeWidget;

namespace Tesselon {

class DisplayWidgetMulti;
class FrameScheduler;
class GlView;
class SharedImageSet;
class ViewInteraction;
class VtkViewRenderer;

/// The main display: a 2×2 grid showing a `DisplayWidgetMulti` model, the 3D view top left and the axial,
/// coronal and sagittal slice views, each in its own VTK widget on a black background with a coloured
/// caption. A view is redrawn when something it shows changed (all of them when the model asks), at most
/// once per refresh of the screen; a left click on a button
/// overlay clicks the button, and turning the 3D view with the mouse moves the model's camera. In the slice
/// views the left button goes to the model's `ViewInteraction`s (placing and dragging points); a click none
/// of them takes moves the other slice views through the point, and the wheel moves a slice along its
/// normal.
class DisplayWidget : public QWidget, public SignalReceiver
{
    Q_OBJECT

public:
    /// The model must outlive the widget.
    explicit DisplayWidget(DisplayWidgetMulti* model, QWidget* parent = nullptr);
    ~DisplayWidget() override;

    DisplayWidgetMulti* model() const { return m_model; }

    /// Shows the volume in every view (null: none); it must outlive the widget or be replaced first. The
    /// slice planes move to the volume's centre and the 3D camera looks at it from the front.
    void setVolume(const SharedImageSet* volume);
    /// Window and level of the volume's intensities in every view.
    void setWindowLevel(double window, double level);

    /// Renders every view now instead of at the next frame.
    void renderNow();
    /// Renders and returns the whole grid as shown.
    QImage grabImage();

    /// The widget showing a view of the model, or null for a view it does not show.
    QWidget* viewWidget(const GlView* view) const;
    /// How many frames of the view were rendered since the widget was made (0 for a view it does not
    /// show), whoever asked for them: for tests and for measuring what the window costs.
    long long frameCount(const GlView* view) const;
    /// Where a world point appears in a slice view's widget (its projection onto the plane), in the
    /// widget's pixels; nothing for a view that is not a shown slice view.
    std::optional<QPointF> pixelOf(const GlView* view, const Eigen::Vector3d& world) const;

signals:
    /// A view was drawn into its widget's buffer, which the screen shows at the widget's next
    /// `QOpenGLWidget::frameSwapped`; for measuring how long a change takes to reach the screen.
    void viewRendered(const Tesselon::GlView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int viewCount = 4;

    GlView* viewAt(int index) const;
    /// The index of a view in the grid, or -1.
    int indexOf(const GlView* view) const;
    /// Renders one view if it is shown.
    void renderView(int index);
    /// Where the slice views' planes cross.
    Eigen::Vector3d planesCentre();
    bool clickButton(int index, const QPoint& position);
    /// How many millimetres one pixel of a slice view's widget spans.
    double millimetresPerPixel(int index) const;
    /// The point on a slice view's plane under a pixel of its widget.
    Eigen::Vector3d worldAt(int index, const QPointF& position) const;
    bool pressInteractions(int index, const QPointF& position);
    bool doubleClickInteractions(int index, const QPointF& position);
    /// The crosshair click: the slice planes other than the clicked one move to pass through the point.
    void moveOtherSlicesThrough(int index, const Eigen::Vector3d& world);
    bool handleMouse(int index, QMouseEvent* event);
    void scrollSlice(int index, int wheelAngle);

    DisplayWidgetMulti* m_model;
    std::array<QVTKOpenGLNativeWidget*, viewCount> m_widgets{};
    std::array<std::unique_ptr<VtkViewRenderer>, viewCount> m_renderers;
    std::array<long long, viewCount> m_frameCounts{};
    FrameScheduler* m_scheduler;
    // The interaction that took the last left press in a slice view, until the button is released.
    ViewInteraction* m_grabbed = nullptr;
    int m_grabbedView = -1;
};

}  // namespace Tesselon
