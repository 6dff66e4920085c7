#pragma once

#include "host/core/base/Signal.h"
#include "host/gl/GlOverlay.h"
#include "host/gl/Viewport.h"

#include <Eigen/Core>

#include <memory>
#include <optional>
#include <vector>

namespace Tesselon {

class Data;
class GlObject;

/// A view of the scene: a pose (the camera or slice plane), a viewport, the display objects it shows and
/// the overlays drawn over it. Objects are referenced, not owned: their creators own them, and a view
/// drops an object by itself when the object is destroyed. Overlays are owned by the view.
class GlView : public SignalReceiver
{
public:
    GlView();
    ~GlView() override;

    /// The view's pose in world coordinates: for slice views the plane (third column its normal), for
    /// 3D views the camera (looking along its -z axis).
    const Eigen::Matrix4d& matrix() const { return m_matrix; }
    /// A non-finite pose is logged and ignored.
    virtual void setMatrix(const Eigen::Matrix4d& viewToWorld);

    const GL::Viewport& viewport() const { return m_viewport; }
    void setViewport(const GL::Viewport& viewport);

    /// Shows the object; adding it twice shows it once, null is logged and ignored.
    void addObject(GlObject* object);
    /// Stops showing the object; unknown objects are ignored.
    void removeObject(GlObject* object);
    bool contains(const GlObject* object) const;
    const std::vector<GlObject*>& objects() const { return m_objects; }

    /// Takes the overlay and inserts it at `position` (-1 or past the end: appended); returns it.
    GlOverlay* addOverlay(std::unique_ptr<GlOverlay> overlay, int position = -1);
    /// Hands the overlay back to the caller, or null when the view does not hold it.
    std::unique_ptr<GlOverlay> removeOverlay(GlOverlay* overlay);
    std::vector<GlOverlay*> overlays() const;

    /// Shows only these data (their volume and the objects made for them) and the objects that belong to
    /// no data; `showAllData` lifts the restriction. The data are not owned.
    void setVisibleData(std::vector<const Data*> data);
    void showAllData();
    /// Whether the view shows what is made for `data`; always true for null.
    bool showsData(const Data* data) const;

    /// Emitted when the pose, viewport, objects, overlays or visible data changed.
    Signal<> changed;

protected:
    /// Stores the pose and notifies, without validation (subclasses validate their own way); returns
    /// whether the pose changed.
    bool storeMatrix(const Eigen::Matrix4d& viewToWorld);

private:
    std::vector<GlObject*> m_objects;
    std::vector<std::unique_ptr<GlOverlay>> m_overlays;
    Eigen::Matrix4d m_matrix = Eigen::Matrix4d::Identity();
    GL::Viewport m_viewport;
    std::optional<std::vector<const Data*>> m_visibleData;
};

}  // namespace Tesselon
