#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/gl/GlPoint.h"
#include "host/gl/ViewInteraction.h"

#include <memory>
#include <optional>
#include <vector>

namespace Tesselon {

class DisplayWidgetMulti;
class PointsOnDataManipulator;

/// Shows the point set of a manipulator in every view of a display, one `GlPoint` per point in the
/// manipulator's colour, and lets the mouse edit it in the slice views: dragging a point moves it, and a
/// click places the point the manipulator asked for. The selected point is drawn larger, so that a pair
/// chosen in a list stands out in all views.
class PointViews : public ViewInteraction, public SignalReceiver
{
public:
    /// Both must outlive this object.
    PointViews(PointsOnDataManipulator& manipulator, DisplayWidgetMulti& display);
    ~PointViews() override;
    PointViews(const PointViews&) = delete;
    PointViews& operator=(const PointViews&) = delete;

    /// Highlights point `index` (nothing: none); out-of-range indices highlight nothing.
    void setSelected(std::optional<int> index);
    /// Places the markers again, e.g. after the points' frame moved in the world.
    void refresh();
    const std::vector<std::unique_ptr<GlPoint>>& markers() const { return m_markers; }

    bool press(const GlSliceView& view, const Eigen::Vector3d& world, double tolerance) override;
    void drag(const Eigen::Vector3d& world) override;
    void release() override { m_dragged.reset(); }

private:
    std::optional<int> markerNear(const GlSliceView& view, const Eigen::Vector3d& world,
                                  double tolerance) const;
    void styleMarker(int index);

    PointsOnDataManipulator& m_manipulator;
    DisplayWidgetMulti& m_display;
    std::vector<std::unique_ptr<GlPoint>> m_markers;
    std::optional<int> m_selected;
    std::optional<int> m_dragged;
};

}  // namespace Tesselon
