#pragma once

#include "host/core/base/Signal.h"
#include "host/core/base/SignalReceiver.h"
#include "host/gl/Camera.h"

#include <Eigen/Core>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class vtkRenderWindow;
class vtkRenderer;
class vtkTextActor;

namespace Tesselon {

class GlObject;
class GlOverlay;
class GlView;
class SharedImageSet;
class VtkObjectActor;
class VtkOverlayLayer;
class VtkVolumeSlices;

/// Renders one view of the display model with VTK. The model stays the single source of truth: before
/// each frame `synchronize` mirrors the view's objects as actors, its overlays as 2D actors and its pose
/// as the camera. A `GlSliceView` shows the volume's slice in its plane under a thin slab of the objects
/// around the plane; a `GlVolumeView` shows the volume's three orthogonal planes and the objects through
/// the model's camera. Used by `DisplayWidget`, one per view.
class VtkViewRenderer : public SignalReceiver
{
public:
    /// The view must outlive the renderer.
    explicit VtkViewRenderer(GlView* view);
    ~VtkViewRenderer() override;

    GlView* view() const { return m_view; }

    /// Adds the renderer's two layers (the volume below, objects and overlays above) to a window.
    void addTo(vtkRenderWindow* window);
    void removeFrom(vtkRenderWindow* window);
    /// The layer holding the camera, the objects and the overlays (the one mouse interaction uses).
    vtkRenderer* renderer() const { return m_foreground; }

    /// Shows a volume (null: none); it must outlive the renderer or be replaced first. Window and level are
    /// reset to its value range.
    void setVolume(const SharedImageSet* volume);
    void setWindowLevel(double window, double level);
    /// In 3D views, the world point the volume's three planes pass through (the slice views' centre).
    void setPlanesCentre(const Eigen::Vector3d& centre) { m_planesCentre = centre; }
    const Eigen::Vector3d& planesCentre() const { return m_planesCentre; }

    /// A caption in the top left corner, e.g. the view's name, in RGB [0, 1].
    void setLabel(const std::string& text, const Eigen::Vector3d& rgb);

    /// Half the height of the world shown by a slice view, in millimetres.
    double sliceViewHalfHeight() const { return m_halfHeight; }
    void setSliceViewHalfHeight(double millimetres) { m_halfHeight = millimetres; }
    /// Half the thickness of the slab around a slice plane in which objects are shown, in millimetres.
    static constexpr double sliceSlabHalfThickness = 1.0;

    /// Mirrors the view into the VTK scene; call right before rendering the window.
    void synchronize();
    /// Writes the VTK camera into the view's model camera after the user moved it (3D views only).
    void writeCameraToModel();
    /// How many times the volume's slices were cut since it was set (see `VtkVolumeSlices`).
    long long resliceCount() const;

    /// Called whenever something shown changed and the window should render again.
    std::function<void()> onUpdateNeeded;

private:
    void synchronizeActors();
    void synchronizeOverlays();
    void synchronizeCamera();
    void synchronizeSliceCamera();
    void synchronizeVolumeCamera();
    void addActor(GlObject* object);
    void dropActor(const GlObject* object);
    void requestUpdate();

    GlView* m_view;
    bool m_is3D;
    vtkRenderer* m_background;
    vtkRenderer* m_foreground;
    vtkTextActor* m_label;
    std::unordered_map<const GlObject*, std::unique_ptr<VtkObjectActor>> m_actors;
    std::unique_ptr<VtkOverlayLayer> m_overlays;
    std::vector<GlOverlay*> m_connectedOverlays;
    std::unique_ptr<VtkVolumeSlices> m_slices;
    Eigen::Vector3d m_planesCentre = Eigen::Vector3d::Zero();
    double m_halfHeight = 150.0;
    // The model camera last copied into VTK: only a different model camera overrides what the mouse did.
    Camera m_appliedCamera;
    bool m_cameraApplied = false;
    // Set while mirroring the model, whose own notifications then need no extra frame.
    bool m_synchronizing = false;
};

}  // namespace Tesselon
