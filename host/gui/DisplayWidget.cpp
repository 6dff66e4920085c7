#include "host/gui/DisplayWidget.h"

#include "host/core/model/SharedImageSet.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "host/gl/ViewInteraction.h"
#include "host/gui/FrameScheduler.h"
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
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

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
// How close (pixels) the mouse must come to a point to grab it.
constexpr double grabTolerancePixels = 6.0;
// How far a notch of the mouse wheel moves a slice plane (mm).
constexpr double sliceScrollMillimetres = 1.0;
// Frames when the screen does not say its refresh rate, and the range trusted when it does (Hz).
constexpr double defaultRefreshRate = 60.0;
constexpr double lowestRefreshRate = 30.0;
constexpr double highestRefreshRate = 240.0;

int frameIntervalMilliseconds(const QScreen* screen)
{
    const double rate = screen ? screen->refreshRate() : 0.0;
    const double trusted =
        rate >= lowestRefreshRate && rate <= highestRefreshRate ? rate : defaultRefreshRate;
    return static_cast<int>(1000.0 / trusted);
}

/// Whether OpenGL draws on the processor (Mesa's software rasterizers), asked once of a scratch context.
bool openGLDrawsOnProcessor()
{
    static const bool software = [] {
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext context;
        if (!context.create() || !context.makeCurrent(&surface))
            return false;
        const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
        const QByteArray renderer = QByteArray(name ? name : "").toLower();
        context.doneCurrent();
        return renderer.contains("llvmpipe") || renderer.contains("softpipe") || renderer.contains("swrast");
    }();
    return software;
}

/// Calls a function whenever a VTK object fires an event.
class EventRelay
{
public:
    explicit EventRelay(std::function<void()> call) : m_call(std::move(call)) {}
    void relay(vtkObject*, unsigned long, void*) { m_call(); }

private:
    std::function<void()> m_call;
};

/// Calls a function whenever a VTK object fires the event, for as long as `owner` lives.
void observe(vtkObject* object, unsigned long event, std::function<void()> call, QObject* owner)
{
    auto* relay = new EventRelay(std::move(call));
    object->AddObserver(event, relay, &EventRelay::relay);
    QObject::connect(owner, &QObject::destroyed, [relay] { delete relay; });
}

}  // namespace

DisplayWidget::DisplayWidget(DisplayWidgetMulti* model, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_scheduler(new FrameScheduler(
          viewCount, [this](int index) { renderView(index); }, this))
{
    m_scheduler->setFrameInterval(frameIntervalMilliseconds(screen()));
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
        // Slice views draw the image resampled to exactly their pixels and flat outlines over it, which
        // multisampling does not improve but makes several times dearer to fill. Meshes in 3D keep it
        // where a graphics card pays for it, not the processor.
        if (index != 0 || openGLDrawsOnProcessor())
            window->SetMultiSamples(0);
        auto renderer = std::make_unique<VtkViewRenderer>(viewAt(index));
        renderer->addTo(window);
        renderer->setLabel(viewLooks[index].label, viewLooks[index].color);
        renderer->onUpdateNeeded = [this, index] { m_scheduler->request(index); };
        VtkViewRenderer* shown = renderer.get();
        // Every frame, whoever asks for it (a resize, the mouse), shows the model as it is now.
        observe(
            window, vtkCommand::StartEvent,
            [this, shown, index] {
                ++m_frameCounts[index];
                shown->setPlanesCentre(planesCentre());
                shown->synchronize();
            },
            widget);
        observe(
            window, vtkCommand::EndEvent, [this, index] { emit viewRendered(viewAt(index)); }, widget);

        vtkRenderWindowInteractor* interactor = window->GetInteractor();
        if (index == 0) {
            vtkNew<vtkInteractorStyleTrackballCamera> style;
            interactor->SetInteractorStyle(style);
            // Drags report every step; the wheel only the end of its zoom.
            for (const unsigned long event : {vtkCommand::InteractionEvent, vtkCommand::EndInteractionEvent})
                observe(
                    style, event, [shown] { shown->writeCameraToModel(); }, widget);
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
    m_model->updateRequested.connect(this, [this] { m_scheduler->requestAll(); });
    m_model->layoutChanged.connect(this, [this] {
        for (int index = 1; index < viewCount; ++index)
            m_widgets[index]->setVisible(m_model->viewLayout() == DisplayWidgetMulti::GridLayout);
        m_scheduler->requestAll();
    });
    // The 3D view draws the volume's planes where the slice views cut.
    for (int index = 0; index < DisplayWidgetMulti::sliceViewCount; ++index)
        m_model->viewSlice(index)->changed.connect(this, [this] {
            if (planesCentre() != m_renderers[0]->planesCentre())
                m_scheduler->request(0);
        });
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
    m_scheduler->requestAll();
}

void DisplayWidget::setWindowLevel(double window, double level)
{
    for (const auto& renderer : m_renderers)
        renderer->setWindowLevel(window, level);
}

Eigen::Vector3d DisplayWidget::planesCentre()
{
    // The 3D planes sit where the slice views cut: x of the sagittal, y of the coronal, z of the axial plane.
    return {m_model->viewSlice(GlSliceView::Sagittal)->matrix()(0, 3),
            m_model->viewSlice(GlSliceView::Coronal)->matrix()(1, 3),
            m_model->viewSlice(GlSliceView::Axial)->matrix()(2, 3)};
}

void DisplayWidget::renderView(int index)
{
    QVTKOpenGLNativeWidget* widget = m_widgets[index];
    if (widget->isVisible())
        widget->renderWindow()->Render();
}

void DisplayWidget::renderNow()
{
    m_scheduler->clear();
    for (int index = 0; index < viewCount; ++index)
        renderView(index);
}

QImage DisplayWidget::grabImage()
{
    QImage image(size() * devicePixelRatioF(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::black);
    QPainter painter(&image);
    for (QVTKOpenGLNativeWidget* widget : m_widgets)
        if (widget->isVisible())
            painter.drawImage(widget->geometry().topLeft(), widget->grabFramebuffer());
    return image;
}

int DisplayWidget::indexOf(const GlView* view) const
{
    for (int index = 0; index < viewCount; ++index)
        if (viewAt(index) == view)
            return index;
    return -1;
}

QWidget* DisplayWidget::viewWidget(const GlView* view) const
{
    const int index = indexOf(view);
    return index < 0 ? nullptr : m_widgets[index];
}

long long DisplayWidget::frameCount(const GlView* view) const
{
    const int index = indexOf(view);
    return index < 0 ? 0 : m_frameCounts[index];
}

bool DisplayWidget::eventFilter(QObject* watched, QEvent* event)
{
    const bool mouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                       event->type() == QEvent::MouseButtonRelease ||
                       event->type() == QEvent::MouseButtonDblClick;
    for (int index = 0; index < viewCount; ++index) {
        if (watched != m_widgets[index])
            continue;
        if (mouse && handleMouse(index, static_cast<QMouseEvent*>(event)))
            return true;
        if (event->type() == QEvent::Wheel && index > 0) {
            scrollSlice(index, static_cast<QWheelEvent*>(event)->angleDelta().y());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool DisplayWidget::handleMouse(int index, QMouseEvent* event)
{
    const bool grabbedHere = m_grabbed && m_grabbedView == index;
    // An interaction removed mid-drag (its panel closed) is forgotten, never called.
    if (grabbedHere && std::find(m_model->interactions().begin(), m_model->interactions().end(), m_grabbed) ==
                           m_model->interactions().end())
        m_grabbed = nullptr;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (event->button() != Qt::LeftButton)
                return false;
            if (clickButton(index, event->pos()) ||
                (index > 0 && pressInteractions(index, event->localPos())))
                return true;
            if (index > 0)
                moveOtherSlicesThrough(index, worldAt(index, event->localPos()));
            return false;
        case QEvent::MouseButtonDblClick:
            return event->button() == Qt::LeftButton && index > 0 &&
                   doubleClickInteractions(index, event->localPos());
        case QEvent::MouseMove:
            if (!grabbedHere || !m_grabbed)
                return false;
            m_grabbed->drag(worldAt(index, event->localPos()));
            return true;
        default:
            if (!grabbedHere || !m_grabbed || event->button() != Qt::LeftButton)
                return false;
            m_grabbed->release();
            m_grabbed = nullptr;
            return true;
    }
}

bool DisplayWidget::pressInteractions(int index, const QPointF& position)
{
    const auto* view = static_cast<const GlSliceView*>(viewAt(index));
    const Eigen::Vector3d world = worldAt(index, position);
    const double tolerance = grabTolerancePixels * millimetresPerPixel(index);
    // A copy: an interaction may remove itself or others while it handles the press.
    const std::vector<ViewInteraction*> interactions = m_model->interactions();
    for (ViewInteraction* interaction : interactions)
        if (interaction->press(*view, world, tolerance)) {
            m_grabbed = interaction;
            m_grabbedView = index;
            return true;
        }
    return false;
}

bool DisplayWidget::doubleClickInteractions(int index, const QPointF& position)
{
    const auto* view = static_cast<const GlSliceView*>(viewAt(index));
    const Eigen::Vector3d world = worldAt(index, position);
    const std::vector<ViewInteraction*> interactions = m_model->interactions();
    return std::any_of(interactions.begin(), interactions.end(),
                       [&](ViewInteraction* interaction) { return interaction->doubleClick(*view, world); });
}

void DisplayWidget::moveOtherSlicesThrough(int index, const Eigen::Vector3d& world)
{
    // Along their normals only, so that each keeps what it frames and the clicked view stays as it is.
    for (int other = 1; other < viewCount; ++other) {
        if (other == index)
            continue;
        GlView* view = viewAt(other);
        Eigen::Matrix4d planeToWorld = view->matrix();
        const Eigen::Vector3d normal = planeToWorld.block<3, 1>(0, 2).normalized();
        planeToWorld.topRightCorner<3, 1>() +=
            normal * normal.dot(world - planeToWorld.topRightCorner<3, 1>());
        view->setMatrix(planeToWorld);
    }
}

void DisplayWidget::scrollSlice(int index, int wheelAngle)
{
    // A notch of the wheel (120 eighths of a degree) moves the plane a millimetre along its normal.
    GlView* view = viewAt(index);
    Eigen::Matrix4d planeToWorld = view->matrix();
    const Eigen::Vector3d normal = planeToWorld.block<3, 1>(0, 2).normalized();
    planeToWorld.topRightCorner<3, 1>() += normal * (wheelAngle / 120.0) * sliceScrollMillimetres;
    view->setMatrix(planeToWorld);
}

double DisplayWidget::millimetresPerPixel(int index) const
{
    return 2.0 * m_renderers[index]->sliceViewHalfHeight() / std::max(1, m_widgets[index]->height());
}

Eigen::Vector3d DisplayWidget::worldAt(int index, const QPointF& position) const
{
    // The slice camera looks at the plane's origin from its normal's side, the plane's x to the right and
    // y up, with a parallel projection whose half height is the renderer's.
    const Eigen::Matrix4d& planeToWorld = viewAt(index)->matrix();
    const QWidget* widget = m_widgets[index];
    const double scale = millimetresPerPixel(index);
    const double right = (position.x() - widget->width() / 2.0) * scale;
    const double up = (widget->height() / 2.0 - position.y()) * scale;
    return planeToWorld.topRightCorner<3, 1>() + right * planeToWorld.block<3, 1>(0, 0).normalized() +
           up * planeToWorld.block<3, 1>(0, 1).normalized();
}

std::optional<QPointF> DisplayWidget::pixelOf(const GlView* view, const Eigen::Vector3d& world) const
{
    const int index = indexOf(view);
    if (index <= 0)
        return std::nullopt;
    const Eigen::Matrix4d& planeToWorld = view->matrix();
    const Eigen::Vector3d offset = world - planeToWorld.topRightCorner<3, 1>();
    const double scale = millimetresPerPixel(index);
    const QWidget* widget = m_widgets[index];
    return QPointF(widget->width() / 2.0 + offset.dot(planeToWorld.block<3, 1>(0, 0).normalized()) / scale,
                   widget->height() / 2.0 - offset.dot(planeToWorld.block<3, 1>(0, 1).normalized()) / scale);
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
