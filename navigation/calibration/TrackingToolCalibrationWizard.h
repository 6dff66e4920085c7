#pragma once

#include "host/gl/Camera.h"
#include "host/gl/GlArrow.h"
#include "host/gl/GlGrid.h"
#include "host/gui/AlgorithmController.h"
#include "navigation/calibration/CalibrationRecordingFeedback.h"
#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include <Eigen/Core>

#include <QWidget>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QTimer;

namespace Tesselon {

class DisplayWidgetMulti;
class GlTrackingSequence;
class GlVolumeView;
class InteractiveButtonOverlay;
class Properties;
class StreamData;
class ToolVisualizationAlgorithm;
class ToolVisualizationController;
class TrackingSequence;
class TrackingToolCalibrationWizardAlgorithm;
class WizardPage;

/// The guided calibration of one tracked instrument, in four steps: choose the instrument, record a
/// pivoting motion about the tip, record a turn about the needle axis, check the direction (Flip) and
/// Finish. While it is open the 3D view shows only the stream: the live tool (through an embedded tool
/// visualization), its trail while recording, the accepted recordings, a grid through the pivot point
/// across the tool and an arrow along it. While recording, the panel says how far the motion has come
/// against what the step accepts. Closing without Finish restores the earlier calibration.
class TrackingToolCalibrationWizard : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    enum Stage : int
    {
        Intro = 0,
        Pivoting = 1,
        Rotation = 2,
        Symmetry = 3,
        None = 4
    };

    explicit TrackingToolCalibrationWizard(TrackingToolCalibrationWizardAlgorithm* algorithm);
    ~TrackingToolCalibrationWizard() override;

    void init() override;
    Stage stage() const { return m_stage; }
    Stage nextStage() const { return m_stage == Symmetry ? None : static_cast<Stage>(m_stage + 1); }
    Stage previousStage() const { return m_stage == Intro ? None : static_cast<Stage>(m_stage - 1); }
    const GlGrid& grid() const { return m_grid; }
    const GlArrow& arrow() const { return m_arrow; }

public slots:
    void onRecord(bool start);
    void onFlip(bool flipped);
    void onNextPage();
    void onPreviousPage();
    void changePage(int index);
    /// Finishes: the calibration stays and the wizard closes.
    void accept();
    void centerCamera();
    void centerGrid();
    void updateGUI();
    /// The chosen instrument's latest pose; GUI thread.
    void updateInstrument(const Eigen::Matrix4d& matrix, double quality);

private:
    void buildConnections();
    void buildPages();
    void setStage(Stage stage);
    void onInstrumentChosen(const QString& id);
    void onStreamData(const std::shared_ptr<const StreamData>& sample);
    void startRecording();
    void stopRecording();
    bool acceptRecording(std::unique_ptr<TrackingSequence> sequence);
    void refusedRecording(const QString& text);
    void showRecordingFeedback();
    void refreshCompleteness();
    void showSequences();
    void setTrackingHistory(int seconds);
    void saveDisplayOptions();
    void clean();

    TrackingToolCalibrationWizardAlgorithm* m_algorithm;
    TrackingToolCalibrationWizardForm ui;
    std::vector<std::unique_ptr<WizardPage>> m_pages;
    int m_pageIndex = 0;
    WizardPage* m_currentPage = nullptr;
    std::vector<QLabel*> m_stepLabels;
    DisplayWidgetMulti* m_display = nullptr;
    GlVolumeView* m_view = nullptr;
    GlArrow m_arrow;
    GlGrid m_grid;
    InteractiveButtonOverlay* m_recenterOverlay = nullptr;
    Stage m_stage = Intro;
    std::optional<Eigen::Matrix4d> m_lastInstrumentPose;
    std::unique_ptr<Properties> m_savedDisplayOptions;
    std::optional<Camera> m_savedCamera;
    std::unique_ptr<ToolVisualizationAlgorithm> m_toolVisualization;
    std::unique_ptr<ToolVisualizationController> m_toolVisualizationPanel;
    std::optional<CalibrationRecordingFeedback> m_feedback;
    QTimer* m_feedbackTimer;
    // Poses taken on the stream's thread while recording, for the feedback on the GUI thread; the lock also
    // guards the latest pose.
    std::mutex m_recordedMutex;
    std::vector<Eigen::Matrix4d> m_recordedPoses;
    // The instrument's latest pose and quality, and whether the GUI thread has yet to take it.
    std::pair<Eigen::Matrix4d, double> m_latestPose{Eigen::Matrix4d::Identity(), 0.0};
    std::atomic<bool> m_posePending{false};
    // The accepted recordings as shown in the 3D view: pivoting, then rotation.
    std::unique_ptr<GlTrackingSequence> m_pivotingShown;
    std::unique_ptr<GlTrackingSequence> m_rotationShown;
};

}  // namespace Tesselon
