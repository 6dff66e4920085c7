#pragma once

#include "host/gui/AlgorithmController.h"
#include "navigation/visualization/ToolVisualizationForm.h"

#include <Eigen/Core>

#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tesselon {

class GlObject;
class InteractiveObject;
class Mesh;
class ToolVisualizationAlgorithm;

/// The tool visualization's panel: picks the tracked and the reference instrument, starts and stops the
/// visualization, shows the tool mesh (yellow while its pose is valid, red otherwise) and a hidden
/// direction line among the host's annotations, optionally the raw fiducials, and moves the slice views
/// with the tool. The geometry of the moving views lives in `SliceFollowing`.
class ToolVisualizationController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    explicit ToolVisualizationController(ToolVisualizationAlgorithm* algorithm);
    ~ToolVisualizationController() override;

    void init() override;

    /// The tool mesh (when it loaded) and the direction line while running, both owned by the host's
    /// annotation model.
    const std::vector<InteractiveObject*>& toolObjects() const { return m_toolObjects; }
    /// Every fiducial sphere made so far, shown or hidden.
    std::vector<GlObject*> fiducialSpheres() const;

public slots:
    /// Start or Stop, whichever the button offers.
    void onCompute();
    /// Registers the tool to where the first slice view now is.
    void onUpdateRef();
    void onToggleLinkMPRs(bool link);
    void onToggleLinkWithRot(bool withRotation);
    void onToggleRawFiducials(bool show);
    /// Reads the algorithm's latest pose and fiducials into the display; runs on the GUI thread.
    void updateVisualization();

signals:
    void visualizationUpdated();

private:
    void connectWidgets();
    void mirrorParameters();
    void fillInstrumentBoxes();
    void start();
    void stop();
    std::shared_ptr<const Mesh> loadToolMesh();
    void addToolObject(std::unique_ptr<GlObject> object, bool visible);
    void showFiducials();
    void hideFiducials(std::size_t from = 0);
    void growFiducialPool(std::size_t count);
    void followWithSliceViews(const Eigen::Matrix4d& toolToWorld);

    ToolVisualizationAlgorithm* m_algorithm;
    ToolVisualizationForm m_form;
    // Serialises Start/Stop with the updates of the display.
    std::mutex m_mutex;
    std::atomic<bool> m_updatePending{false};
    std::vector<InteractiveObject*> m_toolObjects;
    std::vector<std::unique_ptr<InteractiveObject>> m_fiducialSpheres;
    // The mesh path whose loading failure was last logged, so a broken path is reported once.
    std::string m_reportedMeshPath;
};

}  // namespace Tesselon
