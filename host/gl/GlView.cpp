#include "host/gl/GlView.h"

#include "host/core/base/Log.h"
#include "host/gl/GlObject.h"

#include <algorithm>

namespace Tesselon {

namespace {

constexpr const char* category = "GlView";

}  // namespace

GlView::GlView() = default;

GlView::~GlView()
{
    disconnectAll();
}

void GlView::setMatrix(const Eigen::Matrix4d& viewToWorld)
{
    if (!viewToWorld.allFinite()) {
        Log::error(category, "Ignoring a view pose with non-finite entries.");
        return;
    }
    storeMatrix(viewToWorld);
}

bool GlView::storeMatrix(const Eigen::Matrix4d& viewToWorld)
{
    if (viewToWorld == m_matrix)
        return false;
    m_matrix = viewToWorld;
    changed.emitSignal();
    return true;
}

void GlView::setViewport(const GL::Viewport& viewport)
{
    if (viewport == m_viewport)
        return;
    m_viewport = viewport;
    changed.emitSignal();
}

void GlView::addObject(GlObject* object)
{
    if (!object) {
        Log::error(category, "Cannot show a null display object.");
        return;
    }
    if (contains(object))
        return;
    m_objects.push_back(object);
    object->destroyed.connect(this, [this](GlObject* dying) { removeObject(dying); });
    changed.emitSignal();
}

void GlView::removeObject(GlObject* object)
{
    const auto found = std::find(m_objects.begin(), m_objects.end(), object);
    if (found == m_objects.end())
        return;
    m_objects.erase(found);
    object->destroyed.disconnect(this);
    changed.emitSignal();
}

bool GlView::contains(const GlObject* object) const
{
    return std::find(m_objects.begin(), m_objects.end(), object) != m_objects.end();
}

GlOverlay* GlView::addOverlay(std::unique_ptr<GlOverlay> overlay, int position)
{
    if (!overlay) {
        Log::error(category, "Cannot add a null overlay.");
        return nullptr;
    }
    GlOverlay* added = overlay.get();
    const bool append = position < 0 || static_cast<std::size_t>(position) >= m_overlays.size();
    m_overlays.insert(append ? m_overlays.end() : m_overlays.begin() + position, std::move(overlay));
    changed.emitSignal();
    return added;
}

std::unique_ptr<GlOverlay> GlView::removeOverlay(GlOverlay* overlay)
{
    const auto found = std::find_if(m_overlays.begin(), m_overlays.end(),
                                    [overlay](const auto& held) { return held.get() == overlay; });
    if (found == m_overlays.end())
        return nullptr;
    std::unique_ptr<GlOverlay> released = std::move(*found);
    m_overlays.erase(found);
    changed.emitSignal();
    return released;
}

std::vector<GlOverlay*> GlView::overlays() const
{
    std::vector<GlOverlay*> result;
    for (const auto& overlay : m_overlays)
        result.push_back(overlay.get());
    return result;
}

void GlView::setVisibleData(std::vector<const Data*> data)
{
    m_visibleData = std::move(data);
    changed.emitSignal();
}

void GlView::showAllData()
{
    if (!m_visibleData)
        return;
    m_visibleData.reset();
    changed.emitSignal();
}

bool GlView::showsData(const Data* data) const
{
    return !data || !m_visibleData ||
           std::find(m_visibleData->begin(), m_visibleData->end(), data) != m_visibleData->end();
}

}  // namespace Tesselon
