#pragma once

#include "host/core/base/Signal.h"
#include "host/gl/GlSliceView.h"
#include "host/gl/GlVolumeView.h"
#include "host/gl/ViewGroup.h"

#include <array>
#include <vector>

namespace Tesselon {

class ViewInteraction;

/// The model behind the main display: three slice views (axial, coronal, sagittal), one 3D view and the
/// group of all four. The widget that shows it redraws on `updateRequested`.
class DisplayWidgetMulti
{
public:
    DisplayWidgetMulti();
    DisplayWidgetMulti(const DisplayWidgetMulti&) = delete;
    DisplayWidgetMulti& operator=(const DisplayWidgetMulti&) = delete;

    static constexpr int sliceViewCount = 3;

    /// How the display arranges its views.
    enum ViewLayout
    {
        Single3DLayout = 0,  ///< the 3D view alone, filling the display
        GridLayout = 1       ///< the 3D view and the three slice views in a 2 × 2 grid
    };

    /// Slice view 0 (axial), 1 (coronal) or 2 (sagittal); other indices are logged and give null.
    GlSliceView* viewSlice(int index);
    /// The 3D view; only index 0 exists, others are logged and give null.
    GlVolumeView* view3D(int index = 0);
    /// The group of all four views; only index 0 exists, others are logged and give null.
    ViewGroup* viewGroup(int index = 0);

    /// Offers the mouse in the slice views to the interaction (not owned) until it is removed; the newest
    /// is asked first.
    void addInteraction(ViewInteraction* interaction);
    void removeInteraction(ViewInteraction* interaction);
    /// Newest first.
    const std::vector<ViewInteraction*>& interactions() const { return m_interactions; }
    /// Moves every slice plane, keeping its orientation, so that all pass through `world`.
    void centreSlicesAt(const Eigen::Vector3d& world);

    /// Arranges the views (a `ViewLayout`); other values are logged and ignored.
    void layoutViews(int layout);
    ViewLayout viewLayout() const { return m_layout; }
    Signal<> layoutChanged;

    /// Asks the widget to redraw.
    void update() { updateRequested.emitSignal(); }

    Signal<> updateRequested;

private:
    std::array<GlSliceView, sliceViewCount> m_sliceViews;
    GlVolumeView m_volumeView;
    ViewGroup m_viewGroup;
    std::vector<ViewInteraction*> m_interactions;
    ViewLayout m_layout = GridLayout;
};

}  // namespace Tesselon
