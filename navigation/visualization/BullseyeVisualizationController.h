#pragma once

#include "host/core/geometry/Spline.h"
#include "host/gui/AlgorithmController.h"
#include "navigation/visualization/BullseyeVisualizationForm.h"

#include <Eigen/Core>

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace Tesselon {

class BullseyeVisualizationAlgorithm;
class GlObject;
class GlToolTargetOverlay;
class InteractiveObject;
class ToolVisualizationController;

/// The bullseye view's panel. Start reads the planned path from the reference image's first line
/// annotation and builds the scene: the path line and the tool tip in every view, the bullseye target and a
/// ring on the tool axis in the 3D view, and the depth gauge over it; Center looks down the path from
/// beyond its end. The tool is tracked by an embedded tool visualization panel, shown beside this one,
/// whose every drawn pose moves the scene.
class BullseyeVisualizationController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    explicit BullseyeVisualizationController(BullseyeVisualizationAlgorithm* algorithm);
    ~BullseyeVisualizationController() override;

    void init() override;

    bool isRunning() const { return m_running; }
    ToolVisualizationController& toolVisController() const { return *m_toolVisController; }
    /// The objects shown in the 3D view (bullseye, tool ring, tip point), those that loaded.
    const std::vector<GlObject*>& viewObjects() const { return m_viewObjects; }
    /// The objects shown in every view (path line, tip point).
    const std::vector<GlObject*>& groupObjects() const { return m_groupObjects; }
    /// The depth gauge over the 3D view, once the scene exists; the view owns it.
    GlToolTargetOverlay* overlay() const { return m_overlay; }

public slots:
    void onStartStop();
    /// Looks down the planned path at its start, from "viewDistance" + "bullseyeDistance" beyond its end.
    void onCenter();
    /// Moves the scene to the tool's latest pose; runs on the GUI thread.
    void updateVisualization();

private:
    /// False, with the reason logged, when the reference image has no usable line.
    bool createScene();
    bool readPlannedPath();
    void createPathLine(const Eigen::Vector3d& start, const Eigen::Vector3d& direction);
    void loadAllMeshes();
    std::unique_ptr<InteractiveObject> loadMesh(const std::string& path, const Eigen::Vector3d& color,
                                                const std::string& name);
    void createTipPoint();
    /// Adds the scene's objects to their views, or with false removes them.
    void placeSceneInViews(bool place);
    void createOverlay();
    void setSceneVisible(bool visible);
    void showReadout(const Eigen::Matrix4d& toolToWorld);
    void removeSceneFromViews();

    BullseyeVisualizationForm ui;
    BullseyeVisualizationAlgorithm* m_algorithm;
    std::unique_ptr<ToolVisualizationController> m_toolVisController;
    bool m_running = false;
    std::unique_ptr<InteractiveObject> m_tipPoint;
    std::unique_ptr<InteractiveObject> m_toolRing;
    std::unique_ptr<InteractiveObject> m_bullseye;
    std::unique_ptr<InteractiveObject> m_pathLine;
    std::vector<GlObject*> m_groupObjects;
    std::vector<GlObject*> m_viewObjects;
    GlToolTargetOverlay* m_overlay = nullptr;
    // The planned path from A to B, for the planned-versus-actual read-out.
    Spline m_plannedPath;
};

}  // namespace Tesselon
