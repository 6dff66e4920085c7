#include "host/gl/DisplayWidgetMulti.h"

#include "host/core/base/Log.h"

#include <algorithm>

namespace Tesselon {

namespace {

/// Whether `index` is below `count`; logs the bad index otherwise.
bool isValidIndex(int index, int count, const char* what)
{
    if (index >= 0 && index < count)
        return true;
    Log::error("DisplayWidgetMulti", std::string("There is no ") + what + " with index " +
                                         std::to_string(index) + "; valid indices are 0 to " +
                                         std::to_string(count - 1) + ".");
    return false;
}

}  // namespace

DisplayWidgetMulti::DisplayWidgetMulti()
    : m_sliceViews{GlSliceView(GlSliceView::Axial), GlSliceView(GlSliceView::Coronal),
                   GlSliceView(GlSliceView::Sagittal)}
{
    for (GlSliceView& view : m_sliceViews)
        m_viewGroup.addView(&view);
    m_viewGroup.addView(&m_volumeView);
}

GlSliceView* DisplayWidgetMulti::viewSlice(int index)
{
    return isValidIndex(index, sliceViewCount, "slice view") ? &m_sliceViews[static_cast<std::size_t>(index)]
                                                             : nullptr;
}

GlVolumeView* DisplayWidgetMulti::view3D(int index)
{
    return isValidIndex(index, 1, "3D view") ? &m_volumeView : nullptr;
}

ViewGroup* DisplayWidgetMulti::viewGroup(int index)
{
    return isValidIndex(index, 1, "view group") ? &m_viewGroup : nullptr;
}

void DisplayWidgetMulti::addInteraction(ViewInteraction* interaction)
{
    if (interaction &&
        std::find(m_interactions.begin(), m_interactions.end(), interaction) == m_interactions.end())
        m_interactions.insert(m_interactions.begin(), interaction);
}

void DisplayWidgetMulti::removeInteraction(ViewInteraction* interaction)
{
    std::erase(m_interactions, interaction);
}

void DisplayWidgetMulti::centreSlicesAt(const Eigen::Vector3d& world)
{
    if (!world.allFinite())
        return;
    for (GlSliceView& view : m_sliceViews) {
        Eigen::Matrix4d planeToWorld = view.matrix();
        planeToWorld.topRightCorner<3, 1>() = world;
        view.setMatrix(planeToWorld);
    }
}

void DisplayWidgetMulti::layoutViews(int layout)
{
    if (layout != Single3DLayout && layout != GridLayout) {
        Log::error("DisplayWidgetMulti", "There is no view layout " + std::to_string(layout) +
                                             "; 0 shows the 3D view alone, 1 all views in a grid.");
        return;
    }
    if (layout == m_layout)
        return;
    m_layout = static_cast<ViewLayout>(layout);
    layoutChanged.emitSignal();
}

}  // namespace Tesselon
