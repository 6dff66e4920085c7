#include "host/gui/VtkViewRenderer.h"

#include "host/core/model/SharedImageSet.h"
#include "host/gl/GlObject.h"
#include "host/gl/GlSliceView.h"
#include "host/gl/GlVolumeView.h"
#include "host/gui/VtkObjectActor.h"
#include "host/gui/VtkOverlayLayer.h"
#include "host/gui/VtkVolumeSlices.h"

#include <vtkActor.h>
#include <vtkBillboardTextActor3D.h>
#include <vtkCamera.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <algorithm>

namespace Tesselon {

namespace {

// A slice view's camera stands this far (mm) above its plane; only the slab around the plane is drawn.
constexpr double sliceCameraDistance = 1000.0;
constexpr int labelMargin = 8;

}  // namespace

VtkViewRenderer::VtkViewRenderer(GlView* view)
    : m_view(view),
      m_is3D(dynamic_cast<GlVolumeView*>(view) != nullptr),
      m_background(vtkRenderer::New()),
      m_foreground(vtkRenderer::New()),
      m_label(vtkTextActor::New())
{
    m_background->SetLayer(0);
    m_background->SetBackground(0.0, 0.0, 0.0);
    m_background->InteractiveOff();
    m_foreground->SetLayer(1);
    // One camera for both layers, so the slice below and the objects above line up.
    m_foreground->SetActiveCamera(m_background->GetActiveCamera());

    // In 3D the planes must take part in depth sorting and clipping with the objects; in a slice view the
    // image lies below every object, which are drawn on top of it.
    m_slices = std::make_unique<VtkVolumeSlices>(
        m_is3D ? m_foreground : m_background,
        m_is3D ? VtkVolumeSlices::OrthogonalPlanes : VtkVolumeSlices::FocalPlane);
    m_overlays = std::make_unique<VtkOverlayLayer>(m_foreground);

    m_label->GetTextProperty()->SetFontSize(16);
    m_label->GetTextProperty()->BoldOn();
    m_label->GetTextProperty()->SetVerticalJustificationToTop();
    m_label->VisibilityOff();
    m_foreground->AddViewProp(m_label);

    m_view->changed.connect(this, &VtkViewRenderer::requestUpdate);
    for (GlObject* object : m_view->objects())
        addActor(object);
}

VtkViewRenderer::~VtkViewRenderer()
{
    disconnectAll();
    m_actors.clear();
    m_overlays.reset();
    m_slices.reset();
    m_label->Delete();
    m_foreground->Delete();
    m_background->Delete();
}

void VtkViewRenderer::addTo(vtkRenderWindow* window)
{
    window->SetNumberOfLayers(std::max(window->GetNumberOfLayers(), 2));
    window->AddRenderer(m_background);
    window->AddRenderer(m_foreground);
}

void VtkViewRenderer::removeFrom(vtkRenderWindow* window)
{
    window->RemoveRenderer(m_foreground);
    window->RemoveRenderer(m_background);
}

void VtkViewRenderer::setVolume(const SharedImageSet* volume)
{
    m_slices->setVolume(volume);
    requestUpdate();
}

void VtkViewRenderer::setWindowLevel(double window, double level)
{
    m_slices->setWindowLevel(window, level);
    requestUpdate();
}

void VtkViewRenderer::setLabel(const std::string& text, const Eigen::Vector3d& rgb)
{
    m_label->SetInput(text.c_str());
    m_label->GetTextProperty()->SetColor(rgb.x(), rgb.y(), rgb.z());
    m_label->SetVisibility(!text.empty());
    requestUpdate();
}

void VtkViewRenderer::synchronize()
{
    m_synchronizing = true;
    const int* size = m_foreground->GetSize();
    m_view->setViewport({0, 0, size[0], size[1]});
    synchronizeActors();
    synchronizeCamera();
    m_slices->update(m_planesCentre);
    m_slices->setVisible(m_view->showsData(m_slices->volume()));
    synchronizeOverlays();
    m_label->SetDisplayPosition(labelMargin, size[1] - labelMargin);
    m_synchronizing = false;
}

void VtkViewRenderer::synchronizeActors()
{
    // The view has no added/removed signals: compare its objects with the actors at each frame.
    std::vector<const GlObject*> gone;
    for (const auto& [object, actor] : m_actors)
        if (!m_view->contains(object))
            gone.push_back(object);
    for (const GlObject* object : gone) {
        // Still alive: destroyed objects were dropped when they announced it.
        const_cast<GlObject*>(object)->changed.disconnect(this);
        const_cast<GlObject*>(object)->destroyed.disconnect(this);
        dropActor(object);
    }
    for (GlObject* object : m_view->objects())
        if (!m_actors.contains(object))
            addActor(object);
    const Eigen::Matrix4d& planeToWorld = m_view->matrix();
    for (const auto& [object, actor] : m_actors) {
        actor->update();
        // A view showing only some data leaves out the objects made for the others.
        actor->actor()->SetVisibility(object->isVisible() && m_view->showsData(object->data()));
        if (!m_is3D)
            actor->setCutPlane(planeToWorld.block<3, 1>(0, 3), planeToWorld.block<3, 1>(0, 2));
    }
}

void VtkViewRenderer::addActor(GlObject* object)
{
    auto actor = std::make_unique<VtkObjectActor>(object, !m_is3D);
    VtkObjectActor* added = actor.get();
    m_foreground->AddActor(added->actor());
    if (added->label())
        m_foreground->AddViewProp(added->label());
    m_actors.emplace(object, std::move(actor));
    object->changed.connect(this, [this, added] {
        // A slice view skips meshes moving away from its plane: most tool motion, most of the time.
        if (added->updateShowsChange())
            requestUpdate();
    });
    object->destroyed.connect(this, [this](GlObject* dying) {
        dropActor(dying);
        requestUpdate();
    });
}

void VtkViewRenderer::dropActor(const GlObject* object)
{
    const auto found = m_actors.find(object);
    if (found == m_actors.end())
        return;
    m_foreground->RemoveActor(found->second->actor());
    if (found->second->label())
        m_foreground->RemoveViewProp(found->second->label());
    m_actors.erase(found);
}

void VtkViewRenderer::synchronizeOverlays()
{
    const std::vector<GlOverlay*> overlays = m_view->overlays();
    if (overlays != m_connectedOverlays) {
        for (GlOverlay* overlay : overlays) {
            overlay->updateRequested.disconnect(this);
            overlay->updateRequested.connect(this, &VtkViewRenderer::requestUpdate);
        }
        m_connectedOverlays = overlays;
    }
    const int* size = m_foreground->GetSize();
    m_overlays->update(overlays, {0, 0, size[0], size[1]});
}

void VtkViewRenderer::synchronizeCamera()
{
    if (m_is3D)
        synchronizeVolumeCamera();
    else
        synchronizeSliceCamera();
}

void VtkViewRenderer::synchronizeSliceCamera()
{
    const Eigen::Matrix4d& planeToWorld = m_view->matrix();
    const Eigen::Vector3d centre = planeToWorld.block<3, 1>(0, 3);
    const Eigen::Vector3d up = planeToWorld.block<3, 1>(0, 1);
    // VTK's screen right is up × (position - focal point): the camera stands on the normal's side.
    const Eigen::Vector3d eye = centre + sliceCameraDistance * planeToWorld.block<3, 1>(0, 2).normalized();
    vtkCamera* camera = m_foreground->GetActiveCamera();
    camera->ParallelProjectionOn();
    camera->SetFocalPoint(centre.data());
    camera->SetPosition(eye.data());
    camera->SetViewUp(up.data());
    camera->SetParallelScale(m_halfHeight);
    camera->SetClippingRange(sliceCameraDistance - sliceSlabHalfThickness,
                             sliceCameraDistance + sliceSlabHalfThickness);
}

void VtkViewRenderer::synchronizeVolumeCamera()
{
    const Camera& model = static_cast<GlVolumeView*>(m_view)->camera();
    if (!m_cameraApplied || !(model == m_appliedCamera)) {
        vtkCamera* camera = m_foreground->GetActiveCamera();
        camera->ParallelProjectionOff();
        camera->SetPosition(model.position().data());
        camera->SetFocalPoint(model.focalPoint().data());
        camera->SetViewUp(model.up().data());
        m_appliedCamera = model;
        m_cameraApplied = true;
    }
    m_foreground->ResetCameraClippingRange();
}

void VtkViewRenderer::writeCameraToModel()
{
    auto* volumeView = dynamic_cast<GlVolumeView*>(m_view);
    if (!volumeView)
        return;
    vtkCamera* camera = m_foreground->GetActiveCamera();
    Eigen::Vector3d position, focalPoint, up;
    camera->GetPosition(position.data());
    camera->GetFocalPoint(focalPoint.data());
    camera->GetViewUp(up.data());
    Camera moved = volumeView->camera();
    moved.setLookAt(position, focalPoint, up);
    // Recorded first, so the next frame does not copy the model's camera back over VTK's.
    m_appliedCamera = moved;
    m_cameraApplied = true;
    volumeView->setCamera(moved);
}

long long VtkViewRenderer::resliceCount() const
{
    return m_slices->resliceCount();
}

void VtkViewRenderer::requestUpdate()
{
    if (!m_synchronizing && onUpdateNeeded)
        onUpdateNeeded();
}

}  // namespace Tesselon
