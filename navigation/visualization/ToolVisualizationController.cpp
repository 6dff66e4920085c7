#include "navigation/visualization/ToolVisualizationController.h"

#include "host/core/base/Log.h"
#include "host/core/geometry/Math.h"
#include "host/core/geometry/MeshCreator.h"
#include "host/core/io/MeshIO.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlManipulator.h"
#include "host/gl/GlMesh.h"
#include "host/gui/QtWidgetHelpers.h"
#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackerID.h"
#include "navigation/visualization/SliceFollowing.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include <algorithm>
#include <map>

namespace Tesselon {

namespace {

const Eigen::Vector3d validColor(1.0, 1.0, 0.0);
const Eigen::Vector3d invalidColor(0.898, 0.223, 0.207);
const Eigen::Vector3d unassignedFiducialColor = Eigen::Vector3d::Constant(0.8);
constexpr double fiducialRadius = 5.0;
// Shows the instruments' names after their IDs in the boxes.
constexpr int instrumentFormat = TrackingInstrumentComboBox::ShowId | TrackingInstrumentComboBox::ShowName;

/// A lit, slightly glossy surface of one hue, so the tool reads as an object and not as a flat sticker.
void applyColorScheme(GlMesh& mesh, const Eigen::Vector3d& color)
{
    mesh.setColor(color, 1.0);
    mesh.setMaterial({color, color, color, 100.0});
    mesh.setBackMaterial({color, 0.5 * color, 0.5 * color, 100.0});
}

std::unique_ptr<GlObject> directionLine()
{
    auto line = std::make_unique<GlLine>("Direction");
    // The shaft points along the tool's -z: 10 cm of it, in tool coordinates.
    line->setPoints({Eigen::Vector3d::Zero(), Eigen::Vector3d(0.0, 0.0, -100.0)});
    line->setShowDistanceLabel(false);
    line->setLineWidth(1.0);
    line->setLinePattern(0xAAAA, 2.0);
    line->setPointSize(0.1);
    return line;
}

bool isUnassigned(std::uint64_t instrumentIdHash)
{
    static const std::uint64_t emptyIdHash = TrackerID().idHash();
    return instrumentIdHash == 0 || instrumentIdHash == emptyIdHash;
}

/// One colour per fiducial: a distinct one per instrument, in the order of the instruments' hashes so the
/// colours stay put from sample to sample, and grey for fiducials of no instrument.
std::vector<Eigen::Vector3d> fiducialColors(const TrackingInstrumentFiducialsData& data)
{
    std::map<std::uint64_t, Eigen::Vector3d> colorOf;
    for (const auto& fiducial : data.fiducials())
        if (!isUnassigned(fiducial.instrumentIdHash))
            colorOf.emplace(fiducial.instrumentIdHash, Eigen::Vector3d::Zero());
    const auto palette = Math::generateUniqueColors(static_cast<int>(colorOf.size()), true);
    std::size_t next = 0;
    for (auto& entry : colorOf)
        entry.second = palette[next++];
    std::vector<Eigen::Vector3d> colors;
    for (const auto& fiducial : data.fiducials()) {
        const auto found = colorOf.find(fiducial.instrumentIdHash);
        colors.push_back(found == colorOf.end() ? unassignedFiducialColor : found->second);
    }
    return colors;
}

std::unique_ptr<InteractiveObject> interactive(std::unique_ptr<GlObject> object)
{
    auto manipulator = AnnotationModel::createDefaultManipulator(object.get());
    return std::make_unique<InteractiveObject>(object.release(), manipulator.release(), true);
}

}  // namespace

ToolVisualizationController::ToolVisualizationController(ToolVisualizationAlgorithm* algorithm)
    : AlgorithmController(algorithm), m_algorithm(algorithm)
{
    m_form.setupUi(this);
    // The algorithm reports from the stream's thread; the display is only touched on the GUI thread.
    // One update waits at a time: it reads the latest pose, so a GUI thread slower than the tracker skips
    // poses instead of falling ever further behind the tool.
    m_algorithm->toolUpdated.connect(signalReceiver(), [this] {
        if (!m_updatePending.exchange(true))
            QMetaObject::invokeMethod(this, "updateVisualization", Qt::QueuedConnection);
    });
}

ToolVisualizationController::~ToolVisualizationController()
{
    signalReceiver()->disconnectAll();
    if (ApplicationController* application = applicationController()) {
        for (InteractiveObject* annotation : std::exchange(m_toolObjects, {}))
            application->annotations().remove(annotation, true);
        for (const auto& sphere : m_fiducialSpheres)
            application->display().viewGroup(0)->removeObject(sphere->object());
    }
}

void ToolVisualizationController::init()
{
    AlgorithmController::init();
    connectWidgets();
    mirrorParameters();
    fillInstrumentBoxes();
    if (ApplicationController* application = applicationController())
        application->annotations().annotationAboutToBeRemoved.connect(
            signalReceiver(),
            [this](InteractiveObject* annotation) { std::erase(m_toolObjects, annotation); });
    if (m_algorithm->autostart)
        onCompute();
}

std::vector<GlObject*> ToolVisualizationController::fiducialSpheres() const
{
    std::vector<GlObject*> spheres;
    for (const auto& sphere : m_fiducialSpheres)
        spheres.push_back(sphere->object());
    return spheres;
}

void ToolVisualizationController::connectWidgets()
{
    connect(m_form.comboBox_tool, &TrackingInstrumentComboBox::instrumentSelected, this,
            [this](const QString& id) { m_algorithm->trackingTargetId = id.toStdString(); });
    connect(m_form.comboBox_relTool, &TrackingInstrumentComboBox::instrumentSelected, this,
            [this](const QString& id) { m_algorithm->trackingTargetRelId = id.toStdString(); });
    connect(m_form.pushButton_startStop, &QPushButton::clicked, this,
            &ToolVisualizationController::onCompute);
    connect(m_form.pushButton_updateRef, &QPushButton::clicked, this,
            &ToolVisualizationController::onUpdateRef);
    connect(m_form.checkBox_linkViews, &QCheckBox::toggled, this,
            &ToolVisualizationController::onToggleLinkMPRs);
    connect(m_form.checkBox_includeRotations, &QCheckBox::toggled, this,
            &ToolVisualizationController::onToggleLinkWithRot);
    connect(m_form.checkBox_rawFiducials, &QCheckBox::toggled, this,
            &ToolVisualizationController::onToggleRawFiducials);
    connect(m_form.checkBox_snapToClosestAxis, &QCheckBox::toggled, this,
            [this](bool snap) { m_algorithm->snapToClosestAxis = snap; });
    connect(m_form.checkBox_projectiveRendering, &QCheckBox::toggled, this,
            [this](bool projective) { m_algorithm->projectiveRendering = projective; });
    connect(m_form.checkBox_ignoreInPlaneTranslation, &QCheckBox::toggled, this,
            [this](bool ignore) { m_algorithm->ignoreInPlaneTranslation = ignore; });
}

void ToolVisualizationController::mirrorParameters()
{
    QtHelpers::setSilent(m_form.checkBox_linkViews, m_algorithm->linkMPRs);
    QtHelpers::setSilent(m_form.checkBox_includeRotations, m_algorithm->linkWithRot);
    QtHelpers::setSilent(m_form.checkBox_snapToClosestAxis, m_algorithm->snapToClosestAxis);
    QtHelpers::setSilent(m_form.checkBox_projectiveRendering, m_algorithm->projectiveRendering);
    QtHelpers::setSilent(m_form.checkBox_ignoreInPlaneTranslation, m_algorithm->ignoreInPlaneTranslation);
    QtHelpers::setSilent(m_form.checkBox_rawFiducials, m_algorithm->showRawFiducials);
    m_form.groupBox_mprOptions->setEnabled(m_algorithm->linkMPRs);
    m_form.checkBox_snapToClosestAxis->setEnabled(m_algorithm->linkWithRot);
}

void ToolVisualizationController::fillInstrumentBoxes()
{
    // Filling a box announces its first choice, which would overwrite the saved one: keep it and
    // choose it again once the boxes are filled.
    const std::string targetId = m_algorithm->trackingTargetId;
    const std::string referenceId = m_algorithm->trackingTargetRelId;
    const auto fill = [this](TrackingInstrumentComboBox* box, bool offerNone, const std::string& id) {
        box->setSeparator(" : ");
        box->initFromTrackingStream(m_algorithm->trackingStream(), instrumentFormat, offerNone);
        if (!id.empty())
            box->selectInstrument(id);
    };
    fill(m_form.comboBox_tool, false, targetId);
    fill(m_form.comboBox_relTool, true, referenceId);
}

void ToolVisualizationController::onCompute()
{
    std::lock_guard lock(m_mutex);
    if (m_algorithm->running)
        stop();
    else
        start();
}

void ToolVisualizationController::start()
{
    m_algorithm->running = true;
    m_form.pushButton_startStop->setText(tr("Stop"));
    if (std::shared_ptr<const Mesh> mesh = loadToolMesh()) {
        auto tool = std::make_unique<GlMesh>(std::move(mesh));
        applyColorScheme(*tool, validColor);
        tool->setLineWidth(2.0);
        tool->setUseFaceNormals(m_algorithm->useFaceNormals);
        addToolObject(std::move(tool), true);
    }
    addToolObject(directionLine(), false);
    m_algorithm->autostart = true;
    if (ApplicationController* application = applicationController())
        application->display().update();
}

void ToolVisualizationController::stop()
{
    m_algorithm->running = false;
    m_form.pushButton_startStop->setText(tr("Start"));
    ApplicationController* application = applicationController();
    for (InteractiveObject* annotation : std::exchange(m_toolObjects, {}))
        if (application)
            application->annotations().remove(annotation, true);
    // No update comes while stopped: fiducials left on screen would pass for live ones.
    hideFiducials();
}

std::shared_ptr<const Mesh> ToolVisualizationController::loadToolMesh()
{
    const std::string path = m_algorithm->mesh;
    try {
        auto mesh = std::make_shared<const Mesh>(MeshIO::load(path));
        m_reportedMeshPath.clear();
        return mesh;
    } catch (const std::exception& error) {
        // Every Start retries; the same broken path is only worth one message.
        if (path != m_reportedMeshPath) {
            Log::warning("", "Could not load tracking pointer mesh model. Path: " + path);
            Log::debug("ToolVisualizationController", error.what());
            m_reportedMeshPath = path;
        }
        return nullptr;
    }
}

void ToolVisualizationController::addToolObject(std::unique_ptr<GlObject> object, bool visible)
{
    ApplicationController* application = applicationController();
    if (!application)
        return;
    object->setVisible(visible);
    GlObject* shown = object.get();
    InteractiveObject* annotation = application->annotations().add(interactive(std::move(object)));
    // The tool follows the tracker: its moves are no edits a user would undo.
    application->ignoreAnnotationInHistory(shown);
    m_toolObjects.push_back(annotation);
}

void ToolVisualizationController::onUpdateRef()
{
    if (ApplicationController* application = applicationController())
        m_algorithm->updateReference(application->display().viewSlice(0)->matrix());
}

void ToolVisualizationController::onToggleLinkMPRs(bool link)
{
    m_algorithm->linkMPRs = link;
    m_form.groupBox_mprOptions->setEnabled(link);
}

void ToolVisualizationController::onToggleLinkWithRot(bool withRotation)
{
    m_algorithm->linkWithRot = withRotation;
    m_form.checkBox_snapToClosestAxis->setEnabled(withRotation);
}

void ToolVisualizationController::onToggleRawFiducials(bool show)
{
    m_algorithm->showRawFiducials = show;
    if (!show)
        hideFiducials();
}

void ToolVisualizationController::updateVisualization()
{
    m_updatePending = false;
    {
        std::lock_guard lock(m_mutex);
        const std::optional<Eigen::Matrix4d> toolToWorld = m_algorithm->lastToolMatrix();
        for (InteractiveObject* annotation : m_toolObjects) {
            if (toolToWorld)
                annotation->object()->setMatrix(*toolToWorld);
            if (auto* mesh = dynamic_cast<GlMesh*>(annotation->object())) {
                applyColorScheme(*mesh, toolToWorld ? validColor : invalidColor);
                mesh->setProjective(m_algorithm->projectiveRendering);
            }
        }
        if (m_form.checkBox_rawFiducials->isChecked())
            showFiducials();
        if (toolToWorld && m_algorithm->linkMPRs)
            followWithSliceViews(*toolToWorld);
    }
    emit visualizationUpdated();
    if (ApplicationController* application = applicationController())
        application->display().update();
}

void ToolVisualizationController::showFiducials()
{
    const std::unique_ptr<TrackingInstrumentFiducialsData> fiducials = m_algorithm->lastRawFiducialData();
    if (!fiducials) {
        hideFiducials();
        return;
    }
    const auto& points = fiducials->fiducials();
    growFiducialPool(points.size());
    const std::vector<Eigen::Vector3d> colors = fiducialColors(*fiducials);
    for (std::size_t i = 0; i < points.size() && i < m_fiducialSpheres.size(); ++i) {
        GlObject* sphere = m_fiducialSpheres[i]->object();
        Eigen::Matrix4d sphereToWorld = Eigen::Matrix4d::Identity();
        sphereToWorld.topRightCorner<3, 1>() = points[i].position;
        sphere->setMatrix(sphereToWorld);
        sphere->setColor(colors[i]);
        sphere->setVisible(true);
    }
    hideFiducials(points.size());
}

void ToolVisualizationController::hideFiducials(std::size_t from)
{
    for (std::size_t i = from; i < m_fiducialSpheres.size(); ++i)
        m_fiducialSpheres[i]->object()->setVisible(false);
}

void ToolVisualizationController::growFiducialPool(std::size_t count)
{
    ApplicationController* application = applicationController();
    if (!application || m_fiducialSpheres.size() >= count)
        return;
    // Every sphere shows the same mesh; the display objects only refer to it.
    const auto sphereMesh = std::make_shared<const Mesh>(MeshCreator::createSphere(fiducialRadius));
    while (m_fiducialSpheres.size() < count) {
        m_fiducialSpheres.push_back(interactive(std::make_unique<GlMesh>(sphereMesh)));
        application->display().viewGroup(0)->addObject(m_fiducialSpheres.back()->object());
    }
}

void ToolVisualizationController::followWithSliceViews(const Eigen::Matrix4d& toolToWorld)
{
    ApplicationController* application = applicationController();
    if (!application)
        return;
    DisplayWidgetMulti& display = application->display();
    bool anyShown = false;
    for (int i = 0; i < DisplayWidgetMulti::sliceViewCount; ++i)
        anyShown = anyShown || !display.viewSlice(i)->viewport().isEmpty();
    // Collapsed views show nothing; moving them would only cost reslicing.
    if (!anyShown)
        return;
    const SliceFollowing following(
        {m_algorithm->linkWithRot, m_algorithm->snapToClosestAxis, m_algorithm->ignoreInPlaneTranslation});
    for (int i = 0; i < DisplayWidgetMulti::sliceViewCount; ++i) {
        GlSliceView* view = display.viewSlice(i);
        view->setMatrix(following.viewMatrix(i, toolToWorld, view->matrix()));
    }
}

}  // namespace Tesselon
