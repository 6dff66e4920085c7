#include "navigation/visualization/BullseyeVisualizationController.h"

#include "host/core/base/Log.h"
#include "host/core/io/MeshIO.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlManipulator.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/GlToolTargetOverlay.h"
#include "navigation/visualization/PathDeviation.h"
#include "navigation/visualization/ToolVisualizationController.h"

#include <fmt/format.h>

#include <Eigen/Geometry>

#include <QLabel>
#include <QPushButton>

namespace Tesselon {

namespace {

constexpr const char* category = "BullseyeVisualizationController";
const Eigen::Vector3d pathColor(1.0, 0.0, 0.0);
const Eigen::Vector3d bullseyeColor(128.0 / 255.0, 0.0, 0.0);
const Eigen::Vector3d toolColor(141.0 / 255.0, 209.0 / 255.0, 25.0 / 255.0);
// The drawn path runs this far from A towards B, whatever the planned length: past the target it shows
// where the needle would go on.
constexpr double pathLineLength = 200.0;

/// The first line annotation of `image`, if any.
const GlLine* firstLineOf(const AnnotationModel& annotations, const Data* image)
{
    for (InteractiveObject* annotation : annotations.getAnnotations(image))
        if (const auto* line = dynamic_cast<const GlLine*>(annotation->object()))
            return line;
    return nullptr;
}

Eigen::Vector3d normalisedOrZero(const Eigen::Vector3d& vector)
{
    return vector.squaredNorm() > 0.0 ? vector.normalized() : vector;
}

std::unique_ptr<InteractiveObject> withoutManipulator(std::unique_ptr<GlObject> object)
{
    return std::make_unique<InteractiveObject>(object.release(), nullptr, true);
}

/// The figures the overlay shows beside its depth, shortest first.
std::vector<std::string> overlayReadout(const PathDeviation& deviation)
{
    std::vector<std::string> lines = {fmt::format("off path {:.1f} mm", deviation.lateralDistance),
                                      fmt::format("angle {:.1f}°", deviation.axisAngleDegrees)};
    if (deviation.projectedMiss)
        lines.push_back(fmt::format("miss {:.1f} mm", *deviation.projectedMiss));
    return lines;
}

}  // namespace

BullseyeVisualizationController::BullseyeVisualizationController(BullseyeVisualizationAlgorithm* algorithm)
    : AlgorithmController(algorithm),
      m_algorithm(algorithm),
      m_toolVisController(std::make_unique<ToolVisualizationController>(&algorithm->toolVisAlg()))
{
    ui.setupUi(this);
}

BullseyeVisualizationController::~BullseyeVisualizationController()
{
    signalReceiver()->disconnectAll();
    removeSceneFromViews();
    if (ApplicationController* application = applicationController())
        application->removeSubPanel(m_toolVisController.get());
}

void BullseyeVisualizationController::init()
{
    connect(ui.pushButton_startStop, &QPushButton::clicked, this,
            &BullseyeVisualizationController::onStartStop);
    connect(ui.pushButton_center, &QPushButton::clicked, this, &BullseyeVisualizationController::onCenter);
    ApplicationController* application = applicationController();
    m_toolVisController->setApplicationController(application);
    m_toolVisController->init();
    if (application)
        application->showSubPanel(m_toolVisController.get(), "Tool Visualization");
    connect(m_toolVisController.get(), &ToolVisualizationController::visualizationUpdated, this,
            &BullseyeVisualizationController::updateVisualization);
}

void BullseyeVisualizationController::onStartStop()
{
    // The path is read once: later Start/Stop cycles show the same scene.
    if ((m_viewObjects.empty() || m_groupObjects.empty()) && !createScene())
        return;
    m_running = !m_running;
    ui.pushButton_startStop->setText(m_running ? tr("Stop") : tr("Start"));
    setSceneVisible(m_running);
    if (m_running)
        onCenter();
    else
        ui.label_readout->clear();
    if (ApplicationController* application = applicationController())
        application->display().update();
}

void BullseyeVisualizationController::onCenter()
{
    ApplicationController* application = applicationController();
    if (!application)
        return;
    GlVolumeView* view = application->display().view3D();
    view->setMatrix(m_algorithm->createLookAtAlongNeedle(m_algorithm->viewDistance));
    // Focused on A, turning the view pivots about the path's start instead of a point left from before.
    Camera camera = view->camera();
    if (camera.position() != m_algorithm->lineStart()) {
        camera.setLookAt(camera.position(), m_algorithm->lineStart(), camera.up());
        view->setCamera(camera);
    }
}

void BullseyeVisualizationController::updateVisualization()
{
    const std::optional<Eigen::Matrix4d> toolToWorld = m_algorithm->lastToolMatrix();
    if (!m_running || !toolToWorld)
        return;
    static_cast<GlPoint*>(m_tipPoint->object())
        ->setPoint(Eigen::Vector3d(toolToWorld->topRightCorner<3, 1>()));
    if (m_toolRing) {
        const Eigen::Affine3d ringToTool(
            Eigen::Translation3d(0.0, 0.0, m_algorithm->annotationLineDistance() + 1.0));
        m_toolRing->object()->setMatrix(*toolToWorld * ringToTool.matrix());
    }
    if (m_bullseye)
        m_bullseye->object()->setMatrix(m_algorithm->createLookAtAlongNeedle(0.0));
    Eigen::Vector2d tip;
    Eigen::Vector2d back;
    m_algorithm->computeOverlayParameters(tip, back, *toolToWorld);
    if (m_overlay)
        m_overlay->setToolPoints(tip, back);
    showReadout(*toolToWorld);
    if (ApplicationController* application = applicationController())
        application->display().update();
}

bool BullseyeVisualizationController::createScene()
{
    if (!readPlannedPath())
        return false;
    loadAllMeshes();
    createTipPoint();
    placeSceneInViews(true);
    createOverlay();
    return true;
}

bool BullseyeVisualizationController::readPlannedPath()
{
    ApplicationController* application = applicationController();
    const GlLine* line =
        application ? firstLineOf(application->annotations(), m_algorithm->referenceImage()) : nullptr;
    if (!line) {
        Log::error(category, "No line annotation attached to input image");
        return false;
    }
    if (line->points().size() < 2) {
        Log::error(category, "The line annotation needs two points");
        return false;
    }
    // The points are in the line's own frame; the path lives in the world.
    const Eigen::Affine3d lineToWorld(line->matrix());
    const Eigen::Vector3d start = lineToWorld * line->points()[0];
    const Eigen::Vector3d end = lineToWorld * line->points()[1];
    m_algorithm->setLinePoints(start, end);
    m_plannedPath.setControlPoints({start, end});
    createPathLine(start, normalisedOrZero(end - start));
    return true;
}

void BullseyeVisualizationController::createPathLine(const Eigen::Vector3d& start,
                                                     const Eigen::Vector3d& direction)
{
    auto line = std::make_unique<GlLine>("Bullseye path");
    line->setPoints({start, start + pathLineLength * direction});
    line->setShowDistanceLabel(false);
    line->setColor(pathColor);
    line->setVisible(false);
    m_pathLine = withoutManipulator(std::move(line));
    m_groupObjects.push_back(m_pathLine->object());
}

void BullseyeVisualizationController::loadAllMeshes()
{
    m_bullseye = loadMesh(m_algorithm->bullseyeMeshPath, bullseyeColor, "Bullseye");
    m_toolRing = loadMesh(m_algorithm->toolRingMeshPath, toolColor, "Bullseye tool ring");
}

std::unique_ptr<InteractiveObject> BullseyeVisualizationController::loadMesh(const std::string& path,
                                                                             const Eigen::Vector3d& color,
                                                                             const std::string& name)
{
    std::shared_ptr<const Mesh> mesh;
    try {
        mesh = std::make_shared<const Mesh>(MeshIO::load(path));
    } catch (const std::exception& error) {
        Log::warning("", "Mesh " + path + " not found!");
        Log::debug(category, error.what());
        return nullptr;
    }
    auto object = std::make_unique<GlMesh>(std::move(mesh));
    object->setName(name);
    object->setUseFaceNormals(m_algorithm->toolVisAlg().useFaceNormals);
    object->setColor(color, 1.0);
    object->setMaterial({color, color, color, 100.0});
    object->setBackMaterial({color, color, color, 100.0});
    object->setLineWidth(2.0);
    std::unique_ptr<GlManipulator> manipulator = AnnotationModel::createDefaultManipulator(object.get());
    auto interactive = std::make_unique<InteractiveObject>(object.release(), manipulator.release(), true);
    m_viewObjects.push_back(interactive->object());
    return interactive;
}

void BullseyeVisualizationController::createTipPoint()
{
    auto point = std::make_unique<GlPoint>("Bullseye tool tip");
    point->setPoint(Eigen::Vector3d::Zero());
    point->setPointSize(10.0);
    point->setColor(toolColor);
    point->setShowDistanceLabel(false);
    m_tipPoint = withoutManipulator(std::move(point));
    m_groupObjects.push_back(m_tipPoint->object());
    m_viewObjects.push_back(m_tipPoint->object());
}

void BullseyeVisualizationController::placeSceneInViews(bool place)
{
    ApplicationController* application = applicationController();
    if (!application)
        return;
    GlView& view = *application->display().view3D();
    ViewGroup& allViews = *application->display().viewGroup(0);
    for (GlObject* object : m_viewObjects)
        place ? view.addObject(object) : view.removeObject(object);
    for (GlObject* object : m_groupObjects)
        place ? allViews.addObject(object) : allViews.removeObject(object);
}

void BullseyeVisualizationController::createOverlay()
{
    ApplicationController* application = applicationController();
    if (!application)
        return;
    auto overlay = std::make_unique<GlToolTargetOverlay>();
    overlay->setVisParams(m_algorithm->fontSize, m_algorithm->textOffset, m_algorithm->topMargin,
                          m_algorithm->whiskerMargin, m_algorithm->barHeightInMM, m_algorithm->barWidthInMM);
    overlay->setAnchor(GlOverlay::Bottom);
    overlay->setVisible(true);
    m_overlay = static_cast<GlToolTargetOverlay*>(
        application->display().view3D()->addOverlay(std::move(overlay), -1));
}

void BullseyeVisualizationController::setSceneVisible(bool visible)
{
    for (GlObject* object : m_viewObjects)
        object->setVisible(visible);
    for (GlObject* object : m_groupObjects)
        object->setVisible(visible);
    if (m_overlay)
        m_overlay->setVisible(visible);
}

void BullseyeVisualizationController::showReadout(const Eigen::Matrix4d& toolToWorld)
{
    const std::optional<PathDeviation> deviation = PathDeviation::measure(m_plannedPath, toolToWorld);
    if (!deviation)
        return;
    ui.label_readout->setText(QString::fromStdString(deviation->summary()));
    if (m_overlay)
        m_overlay->setReadout(overlayReadout(*deviation));
}

void BullseyeVisualizationController::removeSceneFromViews()
{
    placeSceneInViews(false);
    // Only a panel with views has an overlay.
    if (m_overlay)
        applicationController()->display().view3D()->removeOverlay(m_overlay);
    m_overlay = nullptr;
}

}  // namespace Tesselon
