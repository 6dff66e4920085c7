#include "host/gui/DisplayWidget.h"

#include "host/core/model/SharedImageSet.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "host/gui/VtkViewRenderer.h"

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkInteractorStyleUser.h>
#include <vtkNew.h>
#include <vtkRenderWindowInteractor.h>
#include <Eigen/Geometry>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace Tesselon {

namespace {

struct ViewLook
{
    const char* label;
    Eigen::Vector3d color;
};

// Index 0 is the 3D view, 1 to 3 the slice views in the model's order.
const std::array<ViewLook, 4> viewLooks{{{"3D", {0.9, 0.9, 0.9}},
                                         {"Axial", {0.95, 0.35, 0.35}},
                                         {"Coronal", {0.4, 0.9, 0.4}},
                                         {"Sagittal", {0.45, 0.65, 1.0}}}};
// Grid cells: the 3D view top left, then axial, coronal and sagittal.
const std::array<std::pair<int, int>, 4> gridCells{{{0, 0}, {0, 1}, {1, 0}, {1, 1}}};

// The 3D camera stands this many volume diagonals away from the volume's centre.
constexpr double cameraDistanceInDiagonals = 2.0;
// A slice view shows the volume's largest extent with this much room around it.
constexpr double sliceMargin = 1.1;

/// Calls a function whenever a VTK object fires an event.
class EventRelay
{
public:
    explicit EventRelay(std::function<void()> call) : m_call(std::move(call)) {}
    void relay(vtkObject*, unsigned long, void*) { m_call(); }

private:
    std::function<void()> m_call;
};

}  // namespace

DisplayWidget::DisplayWidget(DisplayWidgetMulti* model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    setPalette(dark);

    for (int index = 0; index < viewCount; ++index) {
        auto* widget = new QVTKOpenGLNativeWidget(this);
        vtkNew<vtkGenericOpenGLRenderWindow> window;
        widget->setRenderWindow(window);
        auto renderer = std::make_unique<VtkViewRenderer>(viewAt(index));
        renderer->addTo(window);
        renderer->setLabel(viewLooks[index].label, viewLooks[index].color);
        renderer->onUpdateNeeded = [this] { scheduleRender(); };
        VtkViewRenderer* shown = renderer.get();
        // Every frame, whoever asks for it (a resize, the mouse), shows the model as it is now.
        auto* synchronizer = new EventRelay([this, shown] {
            updatePlanesCentre();
            shown->synchronize();
        });
        window->AddObserver(vtkCommand::StartEvent, synchronizer, &EventRelay::relay);
        connect(widget, &QObject::destroyed, [synchronizer] { delete synchronizer; });

        vtkRenderWindowInteractor* interactor = window->GetInteractor();
        if (index == 0) {
            vtkNew<vtkInteractorStyleTrackballCamera> style;
            interactor->SetInteractorStyle(style);
            auto* cameraWriter = new EventRelay([shown] { shown->writeCameraToModel(); });
            // Drags report every step; the wheel only the end of its zoom.
            style->AddObserver(vtkCommand::InteractionEvent, cameraWriter, &EventRelay::relay);
            style->AddObserver(vtkCommand::EndInteractionEvent, cameraWriter, &EventRelay::relay);
            connect(widget, &QObject::destroyed, [cameraWriter] { delete cameraWriter; });
        } else {
            // Slice views follow the model; the mouse does not turn them.
            vtkNew<vtkInteractorStyleUser> style;
            interactor->SetInteractorStyle(style);
        }
        widget->installEventFilter(this);
        layout->addWidget(widget, gridCells[index].first, gridCells[index].second);
        m_widgets[index] = widget;
        m_renderers[index] = std::move(renderer);
    }
    m_model->updateRequested.connect(this, &DisplayWidget::scheduleRender);
}

DisplayWidget::~DisplayWidget()
{
    disconnectAll();
    for (int index = 0; index < viewCount; ++index) {
        m_renderers[index]->onUpdateNeeded = nullptr;
        m_widgets[index]->renderWindow()->RemoveAllObservers();
        m_renderers[index]->removeFrom(m_widgets[index]->renderWindow());
    }
}

GlView* DisplayWidget::viewAt(int index) const
{
    return index == 0 ? static_cast<GlView*>(m_model->view3D()) : m_model->viewSlice(index - 1);
}

void DisplayWidget::setVolume(const SharedImageSet* volume)
{
    for (const auto& renderer : m_renderers)
        renderer->setVolume(volume);
    if (!volume)
        return;
    const auto& size = volume->dimensions();
    const Eigen::Vector3d lastVoxel(size[0] - 1, size[1] - 1, size[2] - 1);
    const Eigen::Matrix4d voxelToWorld = volume->voxelToWorld();
    const Eigen::Vector3d centre = (voxelToWorld * (lastVoxel / 2.0).homogeneous()).head<3>();
    const double diagonal = (lastVoxel.cwiseProduct(volume->spacing())).norm();
    const double largestExtent = lastVoxel.cwiseProduct(volume->spacing()).maxCoeff();

    for (int index = 0; index < DisplayWidgetMulti::sliceViewCount; ++index) {
        GlSliceView* view = m_model->viewSlice(index);
        Eigen::Matrix4d planeToWorld = view->matrix();
        planeToWorld.block<3, 1>(0, 3) = centre;
        view->setMatrix(planeToWorld);
        m_renderers[index + 1]->setSliceViewHalfHeight(sliceMargin * largestExtent / 2.0);
    }
    // From the front: anterior is -y in the LPS world, superior +z.
    Camera camera = m_model->view3D()->camera();
    camera.setLookAt(centre - cameraDistanceInDiagonals * diagonal * Eigen::Vector3d::UnitY(), centre,
                     Eigen::Vector3d::UnitZ());
    m_model->view3D()->setCamera(camera);
    scheduleRender();
}

void DisplayWidget::setWindowLevel(double window, double level)
{
    for (const auto& renderer : m_renderers)
        renderer->setWindowLevel(window, level);
}

void DisplayWidget::updatePlanesCentre()
{
    // The 3D planes sit where the slice views cut: x of the sagittal, y of the coronal, z of the axial plane.
    const Eigen::Vector3d centre(m_model->viewSlice(GlSliceView::Sagittal)->matrix()(0, 3),
                                 m_model->viewSlice(GlSliceView::Coronal)->matrix()(1, 3),
                                 m_model->viewSlice(GlSliceView::Axial)->matrix()(2, 3));
    m_renderers[0]->setPlanesCentre(centre);
}

void DisplayWidget::scheduleRender()
{
    if (m_renderScheduled)
        return;
    m_renderScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_renderScheduled)
            renderNow();
    });
}

void DisplayWidget::renderNow()
{
    m_renderScheduled = false;
    for (QVTKOpenGLNativeWidget* widget : m_widgets)
        if (widget->isVisible())
            widget->renderWindow()->Render();
}

QImage DisplayWidget::grabImage()
{
    m_renderScheduled = false;
    QImage image(size() * devicePixelRatioF(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::black);
    QPainter painter(&image);
    for (QVTKOpenGLNativeWidget* widget : m_widgets)
        painter.drawImage(widget->geometry().topLeft(), widget->grabFramebuffer());
    return image;
}

QWidget* DisplayWidget::viewWidget(const GlView* view) const
{
    for (int index = 0; index < viewCount; ++index)
        if (viewAt(index) == view)
            return m_widgets[index];
    return nullptr;
}

bool DisplayWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QWidget::eventFilter(watched, event);
    const auto* press = static_cast<QMouseEvent*>(event);
    for (int index = 0; index < viewCount; ++index)
        if (watched == m_widgets[index] && press->button() == Qt::LeftButton)
            return clickButton(index, press->pos());
    return QWidget::eventFilter(watched, event);
}

bool DisplayWidget::clickButton(int index, const QPoint& position)
{
    // Overlays are placed in render window pixels, origin bottom left.
    const QWidget* widget = m_widgets[index];
    const double ratio = widget->devicePixelRatioF();
    const double x = (position.x() + 0.5) * ratio;
    const double y = (widget->height() - position.y() - 0.5) * ratio;
    const GlView* view = viewAt(index);
    for (GlOverlay* overlay : view->overlays()) {
        auto* button = dynamic_cast<InteractiveButtonOverlay*>(overlay);
        if (button && button->hitTest(x, y, view->viewport())) {
            button->click();
            return true;
        }
    }
    return false;
}

}  // namespace Tesselon
