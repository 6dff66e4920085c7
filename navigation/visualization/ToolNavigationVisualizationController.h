#pragma once

#include "host/core/geometry/Spline.h"
#include "host/gl/GlSpline.h"
#include "host/gui/AlgorithmController.h"
#include "navigation/visualization/RingCameraLink.h"
#include "navigation/visualization/ToolNavigationVisualizationForm.h"

#include <Eigen/Core>

#include <QVariantMap>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

class GlCircle;
class GlVolumeView;
class InteractiveObject;
class Properties;
class ToolNavigationDistanceWidget;
class ToolNavigationVisualizationAlgorithm;
class ToolVisualizationController;

/// The navigation panel: guides the tracked needle along a planned path (a spline annotation whose last
/// point is the target) in the 3D view with rings normal to the path, a ring that follows the tip (red
/// off the path, green inside it), a target sphere (cyan once the tip is in it), a line from the path to
/// the tip, and a camera that can ride on the needle or from ring to ring. The tool itself is followed by
/// an embedded tool visualization panel that the host shows below this one. The ring geometry lives in
/// NavigationGeometry.
class ToolNavigationVisualizationController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    explicit ToolNavigationVisualizationController(ToolNavigationVisualizationAlgorithm* algorithm);
    ~ToolNavigationVisualizationController() override;

    void init() override;
    /// The panel's settings under "targetRadius", "pathType", "pathGrowth", "pathSeparation", "ringsNumber",
    /// "linkTo", "ringVisibility" and "lineVisibility"; absent keys leave their widget as it is.
    void configure(const Properties* properties);
    void configuration(Properties* properties) const;

    /// Reads the tool mesh named by the algorithm's `toolMeshPath` into the 3D view.
    void loadMeshes();
    /// Rebuilds the path rings (and the tip ring when there is none) on the selected path.
    void createCircles();
    /// A ring on the path where it comes nearest to `position`, shown in the 3D view; null, with a
    /// logged error, while the path has fewer than two points.
    std::unique_ptr<GlCircle> createCircleAt(const Eigen::Vector3d& position,
                                             const std::optional<Eigen::Vector3d>& color, double lineWidth);
    void updateCirclesRadius(bool tipOnly);
    void enablePathChanges(bool enable);

    /// The point of the path nearest to `point`, and the path's direction there; zeros without a path.
    std::pair<Eigen::Vector3d, Eigen::Vector3d> circleOnSpline(const Eigen::Vector3d& point) const;
    Eigen::Vector3d projectOnSpline(const Eigen::Vector3d& point) const
    {
        return circleOnSpline(point).first;
    }
    /// Millimetres of path from its start to the point nearest to `point` (default: the tool); 0 without
    /// a path.
    double distanceFromOrigin(const std::optional<Eigen::Vector3d>& point = std::nullopt) const;
    /// Millimetres of path from the point nearest to `point` (default: the tool) to the target.
    double distanceToTarget(const std::optional<Eigen::Vector3d>& point = std::nullopt) const;
    /// The path's first and last point; zeros for fewer than two points.
    std::pair<Eigen::Vector3d, Eigen::Vector3d> limits() const;
    /// Where the navigation's tool mesh is (its matrix's translation).
    Eigen::Vector3d currentPos() const;
    /// The path rings' centres, from the start of the path on.
    std::vector<Eigen::Vector3d> circlesPos() const;
    /// The target radius in mm.
    double radius() const;

    /// Camera poses (cameraToWorld) for the link modes, from the tool pose with the rotation offset.
    std::optional<Eigen::Matrix4d> linkToNeedleTip(const Eigen::Matrix4d& toolPose);
    std::optional<Eigen::Matrix4d> linkToNeedleSide(const Eigen::Matrix4d& toolPose);
    /// Sits on the ring the tool has last passed, gliding there when it changes; none while gliding.
    std::optional<Eigen::Matrix4d> linkToRings(const Eigen::Matrix4d& toolPose);
    /// 0 off the path, 1 inside the tip ring, 2 inside the target.
    void updateState(const Eigen::Matrix4d& toolPose);
    int state() const { return m_state; }

    /// What the 3D view shows of the navigation, for scripts: {state, tool: its mesh's matrix (16 numbers,
    /// column-major), rings: [{centre, radius, opacity, visible}], tipRing: {centre, radius, color, visible}
    /// or null, target: {centre, color} or null, centerLine: {visible, label, points}}; centres and colours
    /// as [x, y, z].
    Q_INVOKABLE QVariantMap scene() const;

public slots:
    void onSelectSpline();
    void onAnnotationAdded();
    void onAnnotationRemoved(InteractiveObject* annotation);
    void updateCirclesSeparation(const QString& separation);
    void updateCirclesNumber(int number);
    void updateRadius();
    void ringVisibilityChanged(const QString& visibility);
    void onCenterLineChanged(const QString& mode);
    void onVisualizationUpdated();

signals:
    /// After every navigation update.
    void changed();

private:
    /// The tool panel's own tool mesh, which a camera riding on the tool would sit inside.
    void showToolPanelMesh(bool show);
    GlVolumeView* view() const;
    void connectWidgets();
    void removeTipRing();
    void removePathRings();
    void removeTargetSphere();
    bool targetContains(const Eigen::Vector3d& point) const;

    ToolNavigationVisualizationAlgorithm* m_algorithm;
    ToolNavigationVisualizationForm m_form;
    std::unique_ptr<ToolVisualizationController> m_toolPanel;
    ToolNavigationDistanceWidget* m_distanceWidget = nullptr;
    // Not owned: the annotation model owns the splines.
    std::map<QString, GlSpline*> m_splines;
    GlSpline* m_spline = nullptr;
    // The selected spline's control points when it was selected; the last is the target.
    std::vector<Eigen::Vector3d> m_pathPoints;
    Spline m_curve;
    std::unique_ptr<GlCircle> m_tipRing;
    std::vector<std::unique_ptr<GlCircle>> m_rings;
    std::unique_ptr<InteractiveObject> m_targetSphere;
    std::unique_ptr<InteractiveObject> m_toolMesh;
    GlSpline m_centerLine{"Center line"};
    int m_state = 0;
    RingCameraLink m_ringLink;
};

}  // namespace Tesselon
