#include "navigation/visualization/ToolNavigationVisualizationController.h"

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/geometry/MeshCreator.h"
#include "host/core/io/MeshIO.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlManipulator.h"
#include "host/gl/GlMesh.h"
#include "host/gl/InteractiveObject.h"
#include "host/stream/TrackingStream.h"
#include "navigation/visualization/NavigationGeometry.h"
#include "navigation/visualization/PathDeviationReadout.h"
#include "navigation/visualization/ToolNavigationDistanceWidget.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationController.h"

#include <Eigen/Geometry>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace Tesselon {

namespace {

const Eigen::Vector3d red(1.0, 0.0, 0.0);
const Eigen::Vector3d green(0.0, 1.0, 0.0);
const Eigen::Vector3d cyan(0.0, 1.0, 1.0);
const Eigen::Vector3d white(1.0, 1.0, 1.0);

std::unique_ptr<InteractiveObject> interactive(std::unique_ptr<GlObject> object)
{
    auto manipulator = AnnotationModel::createDefaultManipulator(object.get());
    return std::make_unique<InteractiveObject>(object.release(), manipulator.release(), true);
}

Eigen::Matrix4d rotation(const Eigen::Vector3d& axis, double radians)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.topLeftCorner<3, 3>() = Eigen::AngleAxisd(radians, axis).toRotationMatrix();
    return matrix;
}

Eigen::Matrix4d translation(double x, double y, double z)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.topRightCorner<3, 1>() = Eigen::Vector3d(x, y, z);
    return matrix;
}

Eigen::Vector3d translationOf(const Eigen::Matrix4d& pose)
{
    return pose.topRightCorner<3, 1>();
}

void place(GlCircle& circle, const std::pair<Eigen::Vector3d, Eigen::Vector3d>& centreAndTangent)
{
    circle.setCenter(centreAndTangent.first);
    // Off the path there is no direction: the ring keeps its plane rather than logging on every update.
    if (!centreAndTangent.second.isZero()) {
        const auto [u, v] = perpendiculars(centreAndTangent.second);
        circle.setAxes(u, v);
    }
}

QVariantList list(const Eigen::Vector3d& v)
{
    return {v.x(), v.y(), v.z()};
}

void setComboIndex(QComboBox* box, const Properties& properties, const char* key)
{
    int index = 0;
    if (properties.param(key, index))
        box->setCurrentIndex(index);
}

}  // namespace

ToolNavigationVisualizationController::ToolNavigationVisualizationController(
    ToolNavigationVisualizationAlgorithm* algorithm)
    : AlgorithmController(algorithm),
      m_algorithm(algorithm),
      m_toolPanel(std::make_unique<ToolVisualizationController>(&algorithm->toolVisualization())),
      m_ringLink([this](const Eigen::Matrix4d& camera) {
          if (GlVolumeView* view3D = view())
              view3D->setMatrix(camera);
      })
{
    m_form.setupUi(this);
    m_centerLine.setShowDistanceLabel(true);
}

ToolNavigationVisualizationController::~ToolNavigationVisualizationController()
{
    signalReceiver()->disconnectAll();
    removeTipRing();
    removeTargetSphere();
    removePathRings();
    if (GlVolumeView* view3D = view()) {
        if (m_toolMesh)
            view3D->removeObject(m_toolMesh->object());
        view3D->removeObject(&m_centerLine);
    }
    if (ApplicationController* application = applicationController())
        application->removeSubPanel(m_toolPanel.get());
}

GlVolumeView* ToolNavigationVisualizationController::view() const
{
    ApplicationController* application = applicationController();
    return application ? application->display().view3D(0) : nullptr;
}

void ToolNavigationVisualizationController::init()
{
    AlgorithmController::init();
    onAnnotationAdded();
    loadMeshes();
    m_distanceWidget = new ToolNavigationDistanceWidget(this);
    m_form.verticalLayout_distanceWidget->addWidget(m_distanceWidget);
    connectWidgets();
    ApplicationController* application = applicationController();
    m_toolPanel->setApplicationController(application);
    m_toolPanel->init();
    if (application) {
        application->showSubPanel(m_toolPanel.get(), "Tool Visualization");
        application->display().view3D(0)->addObject(&m_centerLine);
    }
    onSelectSpline();
}

void ToolNavigationVisualizationController::connectWidgets()
{
    auto textChanged = &QComboBox::currentTextChanged;
    connect(m_form.doubleSpinBox_radius, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &ToolNavigationVisualizationController::updateRadius);
    connect(m_toolPanel.get(), &ToolVisualizationController::visualizationUpdated, this,
            &ToolNavigationVisualizationController::onVisualizationUpdated);
    connect(m_form.comboBox_type, textChanged, this, &ToolNavigationVisualizationController::updateRadius);
    connect(m_form.doubleSpinBox_growth, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
            &ToolNavigationVisualizationController::updateRadius);
    connect(m_form.comboBox_separation, textChanged, this,
            &ToolNavigationVisualizationController::updateCirclesSeparation);
    connect(m_form.spinBox_number, qOverload<int>(&QSpinBox::valueChanged), this,
            &ToolNavigationVisualizationController::updateCirclesNumber);
    connect(m_form.comboBox_visibility, textChanged, this,
            &ToolNavigationVisualizationController::ringVisibilityChanged);
    connect(m_form.comboBox_centerLine, textChanged, this,
            &ToolNavigationVisualizationController::onCenterLineChanged);
    connect(m_form.pushButton_selectSpline, &QPushButton::clicked, this,
            &ToolNavigationVisualizationController::onSelectSpline);
    if (ApplicationController* application = applicationController()) {
        application->annotations().annotationAdded.connect(
            signalReceiver(), [this](InteractiveObject*) { onAnnotationAdded(); });
        application->annotations().annotationAboutToBeRemoved.connect(
            signalReceiver(), [this](InteractiveObject* annotation) { onAnnotationRemoved(annotation); });
    }
}

void ToolNavigationVisualizationController::configure(const Properties* properties)
{
    if (!properties)
        return;
    double value = 0.0;
    if (properties->param("targetRadius", value))
        m_form.doubleSpinBox_radius->setValue(value);
    setComboIndex(m_form.comboBox_type, *properties, "pathType");
    if (properties->param("pathGrowth", value))
        m_form.doubleSpinBox_growth->setValue(value);
    setComboIndex(m_form.comboBox_separation, *properties, "pathSeparation");
    int number = 0;
    if (properties->param("ringsNumber", number))
        m_form.spinBox_number->setValue(number);
    setComboIndex(m_form.comboBox_link, *properties, "linkTo");
    setComboIndex(m_form.comboBox_visibility, *properties, "ringVisibility");
    setComboIndex(m_form.comboBox_centerLine, *properties, "lineVisibility");
}

void ToolNavigationVisualizationController::configuration(Properties* properties) const
{
    if (!properties)
        return;
    properties->setParam("targetRadius", m_form.doubleSpinBox_radius->value());
    properties->setParam("pathType", m_form.comboBox_type->currentIndex());
    properties->setParam("pathGrowth", m_form.doubleSpinBox_growth->value());
    properties->setParam("pathSeparation", m_form.comboBox_separation->currentIndex());
    properties->setParam("ringsNumber", m_form.spinBox_number->value());
    properties->setParam("linkTo", m_form.comboBox_link->currentIndex());
    properties->setParam("ringVisibility", m_form.comboBox_visibility->currentIndex());
    properties->setParam("lineVisibility", m_form.comboBox_centerLine->currentIndex());
}

void ToolNavigationVisualizationController::onAnnotationAdded()
{
    const QString current = m_form.comboBox_splines->currentText();
    const QSignalBlocker blocker(m_form.comboBox_splines);
    m_splines.clear();
    m_form.comboBox_splines->clear();
    if (ApplicationController* application = applicationController())
        for (InteractiveObject* annotation : application->annotations().getAnnotations())
            if (auto* spline = dynamic_cast<GlSpline*>(annotation->object())) {
                const QString name = QString::fromStdString(spline->name());
                m_form.comboBox_splines->addItem(name);
                m_splines[name] = spline;
            }
    if (const int index = m_form.comboBox_splines->findText(current); index >= 0)
        m_form.comboBox_splines->setCurrentIndex(index);
}

void ToolNavigationVisualizationController::onSelectSpline()
{
    m_spline = nullptr;
    const auto found = m_splines.find(m_form.comboBox_splines->currentText());
    if (found == m_splines.end()) {
        Log::error("", "No splines could be found on the annotation model or the name is invalid (empty)");
        return;
    }
    if (!found->second) {
        Log::error("", "Couldn't find a spline to calculate the limits");
        return;
    }
    if (found->second->points().empty()) {
        Log::error("", "An invalid or empty spline was selected");
        return;
    }
    try {
        m_curve.setControlPoints(found->second->points());
    } catch (const std::exception& error) {
        Log::error("", "An invalid or empty spline was selected");
        Log::debug("ToolNavigationVisualizationController", error.what());
        return;
    }
    m_spline = found->second;
    m_pathPoints = m_spline->points();
    removeTipRing();
    createCircles();
}

void ToolNavigationVisualizationController::onAnnotationRemoved(InteractiveObject* annotation)
{
    auto* spline = annotation ? dynamic_cast<GlSpline*>(annotation->object()) : nullptr;
    if (!spline)
        return;
    // Splines drawn on a data set count as much as top-level ones: a list entry left behind would dangle.
    const QString name = QString::fromStdString(spline->name());
    if (spline == m_spline) {
        Log::warning("", "The currently selected spline was removed, taking the next one available");
        m_spline = nullptr;
    }
    if (const int index = m_form.comboBox_splines->findText(name, Qt::MatchExactly); index >= 0)
        m_form.comboBox_splines->removeItem(index);
    if (const auto found = m_splines.find(name); found != m_splines.end()) {
        m_splines.erase(found);
        onSelectSpline();
    }
}

void ToolNavigationVisualizationController::loadMeshes()
{
    if (GlVolumeView* view3D = view(); view3D && m_toolMesh)
        view3D->removeObject(m_toolMesh->object());
    std::shared_ptr<Mesh> mesh;
    const QString path = QString::fromStdString(m_algorithm->toolMeshPath);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        try {
            mesh = std::make_shared<Mesh>(
                MeshIO::load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                             QFileInfo(path).suffix().toStdString(), path.toStdString()));
            mesh->computeVertexNormals();
        } catch (const std::exception& error) {
            Log::debug("ToolNavigationVisualizationController", error.what());
            mesh.reset();
        }
    }
    m_toolMesh = interactive(std::make_unique<GlMesh>(std::move(mesh)));
    if (GlVolumeView* view3D = view())
        view3D->addObject(m_toolMesh->object());
}

std::unique_ptr<GlCircle> ToolNavigationVisualizationController::createCircleAt(
    const Eigen::Vector3d& position, const std::optional<Eigen::Vector3d>& color, double lineWidth)
{
    if (m_pathPoints.size() < 2) {
        Log::error("", "Not enough points on spline to create a circle.");
        return nullptr;
    }
    auto circle = std::make_unique<GlCircle>();
    place(*circle, circleOnSpline(position));
    circle->setLineWidth(lineWidth);
    if (color)
        circle->setColor(*color);
    if (GlVolumeView* view3D = view())
        view3D->addObject(circle.get());
    return circle;
}

void ToolNavigationVisualizationController::createCircles()
{
    if (!m_tipRing) {
        const auto pose = m_algorithm->toolVisualization().lastToolMatrix();
        m_tipRing = createCircleAt(pose ? translationOf(*pose) : Eigen::Vector3d::Zero(), red, 5.0);
    }
    removePathRings();
    for (int i = 0; i < m_form.spinBox_number->value(); ++i) {
        auto ring = createCircleAt(Eigen::Vector3d::Zero(), white, 3.0);
        if (!ring)
            break;
        m_rings.push_back(std::move(ring));
    }
    updateCirclesSeparation(m_form.comboBox_separation->currentText());
    if (ApplicationController* application = applicationController())
        application->display().update();
}

void ToolNavigationVisualizationController::updateCirclesNumber(int)
{
    createCircles();
}

void ToolNavigationVisualizationController::updateCirclesSeparation(const QString& separation)
{
    if (!m_spline)
        return;
    const RingSpacing spacing =
        separation == "Exponential" ? RingSpacing::Exponential : RingSpacing::Equidistant;
    const int count = m_form.spinBox_number->value();
    // The host's spline coordinate runs over the control points, 0 to n - 1.
    const double lastCoordinate = static_cast<double>(m_pathPoints.size() - 1);
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
        const double t = ringCoordinate(static_cast<int>(i), count, spacing) * lastCoordinate;
        place(*m_rings[i], {m_curve.evaluate(t), m_curve.evaluateTangent(t)});
    }
    updateRadius();
}

void ToolNavigationVisualizationController::updateRadius()
{
    removeTargetSphere();
    if (!m_pathPoints.empty()) {
        auto sphere = std::make_unique<GlMesh>(
            std::make_shared<const Mesh>(MeshCreator::createSphere(radius(), 15, 32)));
        sphere->setRenderMode(GlMesh::Surface);
        sphere->setOpacity(0.5);
        Eigen::Matrix4d sphereToWorld = Eigen::Matrix4d::Identity();
        sphereToWorld.topRightCorner<3, 1>() = m_pathPoints.back();
        sphere->setMatrix(sphereToWorld);
        m_targetSphere = interactive(std::move(sphere));
        if (GlVolumeView* view3D = view())
            view3D->addObject(m_targetSphere->object());
    }
    updateCirclesRadius(false);
}

void ToolNavigationVisualizationController::updateCirclesRadius(bool tipOnly)
{
    const bool funnel = m_form.comboBox_type->currentText() == "Funnel";
    m_form.doubleSpinBox_growth->setEnabled(funnel && m_form.comboBox_type->isEnabled());
    const auto resize = [&](GlCircle& ring) {
        ring.setRadius(ringRadius(radius(), funnel, m_form.doubleSpinBox_growth->value(),
                                  distanceToTarget(ring.center())));
    };
    if (m_tipRing)
        resize(*m_tipRing);
    if (!tipOnly)
        for (const auto& ring : m_rings)
            resize(*ring);
}

void ToolNavigationVisualizationController::ringVisibilityChanged(const QString& visibility)
{
    if (m_tipRing)
        m_tipRing->setVisible(visibility != "Fixed only");
    for (const auto& ring : m_rings) {
        ring->setVisible(visibility != "Tip only");
        ring->setOpacity(1.0);
    }
    if (visibility != "Fading" || !m_tipRing)
        return;
    const std::vector<double> opacities = fadingOpacities(circlesPos(), m_tipRing->center());
    for (std::size_t i = 0; i < m_rings.size(); ++i)
        m_rings[i]->setOpacity(opacities[i]);
}

void ToolNavigationVisualizationController::onCenterLineChanged(const QString& mode)
{
    m_centerLine.setVisible(mode.contains("Line"));
    m_centerLine.setShowDistanceLabel(mode.contains("distance"));
}

void ToolNavigationVisualizationController::onVisualizationUpdated()
{
    const std::optional<Eigen::Matrix4d> trackedPose = m_algorithm->toolVisualization().lastToolMatrix();
    if (!trackedPose || m_algorithm->trackingStream()->instruments().empty())
        return;
    const double offset = m_form.spinBox_rotOffset->value() * std::numbers::pi / 180.0;
    const Eigen::Matrix4d toolPose = *trackedPose * rotation(Eigen::Vector3d::UnitZ(), offset);
    const Eigen::Vector3d tip = translationOf(toolPose);
    if (m_toolMesh)
        m_toolMesh->object()->setMatrix(toolPose);
    if (m_tipRing)
        m_centerLine.setPoints({m_tipRing->center(), tip});
    enablePathChanges(true);
    const QString link = m_form.comboBox_link->currentText();
    std::optional<Eigen::Matrix4d> camera;
    if (link == "Needle tip")
        camera = linkToNeedleTip(toolPose);
    else if (link == "Needle side")
        camera = linkToNeedleSide(toolPose);
    else if (link == "Rings")
        camera = linkToRings(toolPose);
    if (GlVolumeView* view3D = view(); view3D && camera)
        view3D->setMatrix(*camera);
    showToolPanelMesh(link == "None");
    if (m_tipRing) {
        place(*m_tipRing, circleOnSpline(tip));
        updateCirclesRadius(true);
    }
    ringVisibilityChanged(m_form.comboBox_visibility->currentText());
    updateState(toolPose);
    if (m_targetSphere)
        m_targetSphere->object()->setColor(m_state == 2 ? cyan : white);
    if (m_tipRing)
        m_tipRing->setColor(m_state == 0 ? red : green);
    m_form.groupBox_readout->showDeviation(m_spline ? &m_curve : nullptr, toolPose);
    emit changed();
}

void ToolNavigationVisualizationController::showToolPanelMesh(bool show)
{
    // A camera riding on the tool would sit inside the tool panel's opaque mesh; the navigation's own
    // see-through tool stands in for it then.
    for (InteractiveObject* object : m_toolPanel->toolObjects())
        if (auto* mesh = dynamic_cast<GlMesh*>(object->object()))
            mesh->setVisible(show);
}

std::optional<Eigen::Matrix4d> ToolNavigationVisualizationController::linkToNeedleTip(
    const Eigen::Matrix4d& toolPose)
{
    if (m_toolMesh)
        m_toolMesh->object()->setOpacity(1.0);
    // Just behind the tip, looking down the needle's advance (-z).
    return toolPose * translation(0.0, 0.0, -1.0);
}

std::optional<Eigen::Matrix4d> ToolNavigationVisualizationController::linkToNeedleSide(
    const Eigen::Matrix4d& toolPose)
{
    if (m_toolMesh) {
        // Tilted by atan(1/3) so the needle is seen from above its shaft, not end-on.
        m_toolMesh->object()->setMatrix(toolPose * rotation(Eigen::Vector3d::UnitX(), std::atan(1.0 / 3.0)));
        m_toolMesh->object()->setOpacity(0.5);
    }
    return toolPose * translation(0.0, 0.0, 30.0);
}

std::optional<Eigen::Matrix4d> ToolNavigationVisualizationController::linkToRings(
    const Eigen::Matrix4d& toolPose)
{
    if (m_toolMesh) {
        m_toolMesh->object()->setMatrix(toolPose);
        m_toolMesh->object()->setOpacity(0.5);
    }
    enablePathChanges(false);
    std::vector<const GlCircle*> rings;
    for (const auto& ring : m_rings)
        rings.push_back(ring.get());
    return m_ringLink.follow(rings, m_pathPoints.empty() ? Eigen::Vector3d::Zero() : m_pathPoints.back(),
                             toolPose);
}

void ToolNavigationVisualizationController::updateState(const Eigen::Matrix4d& toolPose)
{
    const Eigen::Vector3d tip = translationOf(toolPose);
    if (targetContains(tip))
        m_state = 2;
    else if (m_tipRing && m_tipRing->radius() > (m_tipRing->center() - tip).norm())
        m_state = 1;
    else
        m_state = 0;
}

bool ToolNavigationVisualizationController::targetContains(const Eigen::Vector3d& point) const
{
    const auto* sphere = m_targetSphere ? dynamic_cast<const GlMesh*>(m_targetSphere->object()) : nullptr;
    if (!sphere || !sphere->mesh() || sphere->mesh()->vertices().empty())
        return false;
    Eigen::AlignedBox3d box;
    for (const Eigen::Vector3d& vertex : sphere->mesh()->vertices())
        box.extend(vertex);
    return box.contains(point - translationOf(sphere->matrix()));
}

void ToolNavigationVisualizationController::enablePathChanges(bool enable)
{
    const std::initializer_list<QWidget*> fields{
        m_form.label_5, m_form.spinBox_number,     m_form.label_2, m_form.comboBox_type, m_form.label_3,
        m_form.label_4, m_form.comboBox_separation};
    for (QWidget* field : fields)
        field->setEnabled(enable);
    // Growth only means something for a funnel.
    m_form.doubleSpinBox_growth->setEnabled(enable && m_form.comboBox_type->currentText() == "Funnel");
}

std::pair<Eigen::Vector3d, Eigen::Vector3d> ToolNavigationVisualizationController::circleOnSpline(
    const Eigen::Vector3d& point) const
{
    if (!m_spline || !point.allFinite())
        return {Eigen::Vector3d::Zero(), Eigen::Vector3d::Zero()};
    const double t = m_curve.arcLengthToSplineCoord(m_curve.calculateNearestPointArcLength(point));
    return {m_curve.evaluate(t), m_curve.evaluateTangent(t)};
}

double ToolNavigationVisualizationController::distanceFromOrigin(
    const std::optional<Eigen::Vector3d>& point) const
{
    const Eigen::Vector3d p = point.value_or(currentPos());
    return m_spline && p.allFinite() ? m_curve.calculateNearestPointArcLength(p) : 0.0;
}

double ToolNavigationVisualizationController::distanceToTarget(
    const std::optional<Eigen::Vector3d>& point) const
{
    return m_spline ? m_curve.getCurveLength() - distanceFromOrigin(point) : 0.0;
}

std::pair<Eigen::Vector3d, Eigen::Vector3d> ToolNavigationVisualizationController::limits() const
{
    if (m_pathPoints.size() < 2)
        return {Eigen::Vector3d::Zero(), Eigen::Vector3d::Zero()};
    return {m_pathPoints.front(), m_pathPoints.back()};
}

Eigen::Vector3d ToolNavigationVisualizationController::currentPos() const
{
    return m_toolMesh ? translationOf(m_toolMesh->object()->matrix()) : Eigen::Vector3d::Zero();
}

std::vector<Eigen::Vector3d> ToolNavigationVisualizationController::circlesPos() const
{
    std::vector<Eigen::Vector3d> centres;
    for (const auto& ring : m_rings)
        centres.push_back(ring->center());
    return centres;
}

double ToolNavigationVisualizationController::radius() const
{
    return m_form.doubleSpinBox_radius->value();
}

void ToolNavigationVisualizationController::removeTipRing()
{
    if (GlVolumeView* view3D = view(); view3D && m_tipRing)
        view3D->removeObject(m_tipRing.get());
    m_tipRing.reset();
}

void ToolNavigationVisualizationController::removePathRings()
{
    m_ringLink.forget();
    if (GlVolumeView* view3D = view())
        for (const auto& ring : m_rings)
            view3D->removeObject(ring.get());
    m_rings.clear();
}

void ToolNavigationVisualizationController::removeTargetSphere()
{
    if (GlVolumeView* view3D = view(); view3D && m_targetSphere)
        view3D->removeObject(m_targetSphere->object());
    m_targetSphere.reset();
}

QVariantMap ToolNavigationVisualizationController::scene() const
{
    QVariantList rings;
    for (const auto& ring : m_rings)
        rings.append(QVariantMap{{"centre", list(ring->center())},
                                 {"radius", ring->radius()},
                                 {"opacity", ring->opacity()},
                                 {"visible", ring->isVisible()}});
    QVariantList tool;
    if (m_toolMesh)
        for (const double value : m_toolMesh->object()->matrix().reshaped())
            tool.append(value);
    QVariantMap scene{{"state", m_state}, {"rings", rings}, {"tool", tool}};
    scene["tipRing"] = m_tipRing ? QVariant(QVariantMap{{"centre", list(m_tipRing->center())},
                                                        {"radius", m_tipRing->radius()},
                                                        {"color", list(m_tipRing->color())},
                                                        {"visible", m_tipRing->isVisible()}})
                                 : QVariant();
    scene["target"] =
        m_targetSphere
            ? QVariant(QVariantMap{{"centre", list(translationOf(m_targetSphere->object()->matrix()))},
                                   {"color", list(m_targetSphere->object()->color())}})
            : QVariant();
    QVariantList linePoints;
    for (const Eigen::Vector3d& point : m_centerLine.points())
        linePoints.append(QVariant(list(point)));
    scene["centerLine"] = QVariantMap{{"visible", m_centerLine.isVisible()},
                                      {"label", m_centerLine.showsDistanceLabel()},
                                      {"points", linePoints}};
    return scene;
}

}  // namespace Tesselon
