#include "navigation/calibration/TrackingToolCalibrationWizard.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"
#include "host/core/config/Properties.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlTrackingSequence.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/TrackingStreamDisplayOptions.h"
#include "navigation/calibration/IntroPage.h"
#include "navigation/calibration/SymmetryPage.h"
#include "navigation/calibration/TrackRecordPage.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationController.h"

#include <Eigen/Geometry>

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace Tesselon {
namespace {

constexpr const char* category = "TrackingToolCalibrationWizardAlgorithm";
const char* const sphereMesh = ":/Navigation/Sphere.obj";
const char* const pointerMesh = ":/TrackingPointer.obj";
// Seconds of the tool's trail drawn while recording.
constexpr int recordingHistorySeconds = 2;
constexpr int feedbackMilliseconds = 250;
constexpr int animationHeight = 150;
// Where the camera stands from the pivot point (along and across the tool), and from a tool without one.
constexpr double pivotViewDistance = 566.0;
constexpr double toolViewDistance = 800.0;

}  // namespace

TrackingToolCalibrationWizard::TrackingToolCalibrationWizard(
    TrackingToolCalibrationWizardAlgorithm* algorithm)
    : AlgorithmController(algorithm),
      m_algorithm(algorithm),
      m_grid(10000.0, 100.0, "Calibration grid"),
      m_toolVisualization(std::make_unique<ToolVisualizationAlgorithm>(algorithm->trackingStream())),
      m_feedbackTimer(new QTimer(this))
{
    ui.setupUi(this);
    // In the panel area the wizard gets only the height it asks for: room for the animations to be seen.
    ui.gifLabel->setMinimumHeight(animationHeight);
    m_arrow.setName("Up Axis");
    m_arrow.setVisible(false);
    m_grid.setLineColor(Eigen::Vector3d::Constant(0.4));
    m_grid.setOpacity(0.2);
    m_grid.setVisible(false);
    m_toolVisualizationPanel = std::make_unique<ToolVisualizationController>(m_toolVisualization.get());
    m_toolVisualizationPanel->hide();
    connect(m_feedbackTimer, &QTimer::timeout, this, &TrackingToolCalibrationWizard::showRecordingFeedback);
    buildConnections();
}

TrackingToolCalibrationWizard::~TrackingToolCalibrationWizard()
{
    signalReceiver()->disconnectAll();
    clean();
}

void TrackingToolCalibrationWizard::buildConnections()
{
    ui.instrumentsComboBox->setSeparator(" : ");
    ui.instrumentsComboBox->initFromTrackingStream(
        m_algorithm->trackingStream(),
        TrackingInstrumentComboBox::ShowId | TrackingInstrumentComboBox::ShowName, false);
    connect(ui.instrumentsComboBox, &TrackingInstrumentComboBox::instrumentSelected, this,
            &TrackingToolCalibrationWizard::onInstrumentChosen);
    connect(ui.nextButton, &QPushButton::clicked, this, &TrackingToolCalibrationWizard::onNextPage);
    connect(ui.backButton, &QPushButton::clicked, this, &TrackingToolCalibrationWizard::onPreviousPage);
    connect(ui.startStopButton, &QPushButton::toggled, this, &TrackingToolCalibrationWizard::onRecord);
    connect(ui.flipButton, &QPushButton::clicked, this, &TrackingToolCalibrationWizard::onFlip);
    m_algorithm->trackingStream()->newData.connect(signalReceiver(),
                                                   [this](const auto& sample) { onStreamData(sample); });
    // The box chose its first instrument before anyone listened.
    if (m_algorithm->instrument().empty())
        m_algorithm->setInstrument(ui.instrumentsComboBox->selectedInstrumentId());
}

void TrackingToolCalibrationWizard::init()
{
    ApplicationController* application = applicationController();
    if (application) {
        m_display = &application->display();
        m_view = m_display->view3D();
        m_savedCamera = m_view->camera();
        m_view->addObject(&m_arrow);
        m_view->addObject(&m_grid);
        saveDisplayOptions();
        m_view->setVisibleData({m_algorithm->trackingStream()});
        auto recenter = std::make_unique<InteractiveButtonOverlay>(GlOverlay::Right, ":/icons/Recenter.png");
        recenter->clicked.connect(signalReceiver(), [this] { centerCamera(); });
        m_recenterOverlay = static_cast<InteractiveButtonOverlay*>(m_view->addOverlay(std::move(recenter)));
    }
    buildPages();
    m_toolVisualization->trackingTargetId.setValue(m_algorithm->instrument());
    m_toolVisualization->showRawFiducials.setValue(true);
    // The wizard shows the 3D view alone: the slice views stay where the user left them.
    m_toolVisualization->linkMPRs.setValue(false);
    m_toolVisualization->mesh.setValue(std::string(sphereMesh));
    m_toolVisualizationPanel->setApplicationController(application);
    m_toolVisualizationPanel->init();
    m_toolVisualizationPanel->onCompute();
    // The host shows the panel once it is placed; showing it here would open a window of its own.
    QApplication::processEvents();
    changePage(0);
}

void TrackingToolCalibrationWizard::saveDisplayOptions()
{
    auto& options = m_algorithm->trackingStream()->components().getOrCreate<TrackingStreamDisplayOptions>();
    m_savedDisplayOptions = std::make_unique<Properties>();
    options.configuration(m_savedDisplayOptions.get());
    options.trackingHistory.setValue(0);
    options.sequenceIndicatorType.setValue(static_cast<int>(TrackingStreamDisplayOptions::Dots));
}

void TrackingToolCalibrationWizard::buildPages()
{
    m_pages.push_back(std::make_unique<IntroPage>(&ui));
    m_pages.push_back(std::make_unique<TrackRecordPage>(
        &ui, tr("Pivoting"), tr("Press Start and pivot the tool around the pointer tip"),
        ":/Navigation/ToolCalibration/pivoting.gif"));
    m_pages.push_back(std::make_unique<TrackRecordPage>(
        &ui, tr("Rotation"), tr("Press Start and rotate the tool around the needle direction"),
        ":/Navigation/ToolCalibration/rotation.gif"));
    m_pages.push_back(std::make_unique<SymmetryPage>(&ui));
    refreshCompleteness();
    for (std::size_t k = 0; k < m_pages.size(); ++k) {
        if (k > 0) {
            auto* separator = new QFrame(ui.wizardStepsLabels);
            separator->setFrameShape(QFrame::VLine);
            separator->setLineWidth(2);
            ui.horizontalLayout_2->addWidget(separator);
        }
        auto* label = new QLabel(QString("%1. %2").arg(k).arg(m_pages[k]->title()), ui.wizardStepsLabels);
        label->setObjectName(QString("step%1").arg(k));
        label->setAlignment(Qt::AlignCenter);
        ui.horizontalLayout_2->addWidget(label);
        m_stepLabels.push_back(label);
        m_pages[k]->setDisplay(m_display, m_view);
    }
}

void TrackingToolCalibrationWizard::changePage(int index)
{
    if (index == static_cast<int>(m_pages.size())) {
        accept();
        return;
    }
    if (index < 0 || index > static_cast<int>(m_pages.size()))
        return;
    for (QLabel* label : m_stepLabels)
        label->setEnabled(false);
    m_stepLabels[static_cast<std::size_t>(index)]->setEnabled(true);
    if (m_currentPage)
        m_currentPage->end();
    m_pageIndex = index;
    m_currentPage = m_pages[static_cast<std::size_t>(index)].get();
    setStage(static_cast<Stage>(index));
    ui.nextButton->show();
    for (QWidget* optional :
         {static_cast<QWidget*>(ui.startStopButton), ui.flipWidget, static_cast<QWidget*>(ui.gifLabel),
          ui.calibrationWidget, ui.instrumentsWidget, ui.guidedExpertWidget})
        optional->hide();
    m_currentPage->begin();
    showSequences();
    updateGUI();
}

void TrackingToolCalibrationWizard::onNextPage()
{
    changePage(nextStage());
}

void TrackingToolCalibrationWizard::onPreviousPage()
{
    if (previousStage() != None)
        changePage(previousStage());
}

void TrackingToolCalibrationWizard::setStage(Stage stage)
{
    if (stage == None)
        Log::log(static_cast<Log::Level>(4), category, "Stage invalid, cannot be None");
    m_stage = stage;
    // Restarted so that the new mesh loads: a sphere at the tip until the tool's axis is known.
    m_toolVisualizationPanel->onCompute();
    m_toolVisualization->mesh.setValue(std::string(stage < Symmetry ? sphereMesh : pointerMesh));
    m_toolVisualizationPanel->onCompute();
    centerCamera();
}

void TrackingToolCalibrationWizard::updateGUI()
{
    if (!m_currentPage)
        return;
    const bool complete = m_currentPage->isComplete();
    const bool recording = m_algorithm && m_algorithm->isRecording();
    ui.nextButton->setVisible(complete);
    ui.nextButton->setEnabled(complete && !recording);
    ui.nextButton->setText(m_pageIndex + 1 == static_cast<int>(m_pages.size()) ? tr("Finish") : tr("Next"));
    ui.backButton->setEnabled(!recording && m_pageIndex != 0);
    ui.startStopButton->setText(recording ? tr("Stop") : tr("Start"));
    ui.startStopButton->setIcon(QIcon(recording ? ":/PlaybackStop.png" : ":/PlaybackPlay.png"));
    ui.instrumentsComboBox->setEnabled(!recording);
}

void TrackingToolCalibrationWizard::onInstrumentChosen(const QString& id)
{
    m_lastInstrumentPose.reset();
    m_algorithm->setInstrument(id.toStdString());
    // The tool shown and the recordings kept belong to the instrument: another one starts afresh.
    m_toolVisualization->trackingTargetId.setValue(id.toStdString());
    ui.flipButton->setChecked(false);
    refreshCompleteness();
    centerGrid();
    showSequences();
    updateGUI();
}

void TrackingToolCalibrationWizard::refreshCompleteness()
{
    if (m_pages.size() > Rotation) {
        m_pages[Pivoting]->setComplete(m_algorithm->hasPivoting());
        m_pages[Rotation]->setComplete(m_algorithm->hasRotation());
    }
}

void TrackingToolCalibrationWizard::onRecord(bool start)
{
    if (start)
        startRecording();
    else
        stopRecording();
    updateGUI();
}

void TrackingToolCalibrationWizard::startRecording()
{
    setTrackingHistory(recordingHistorySeconds);
    m_feedback.emplace(m_stage == Rotation ? CalibrationRecordingFeedback::Motion::Rotation
                                           : CalibrationRecordingFeedback::Motion::Pivoting);
    {
        std::lock_guard lock(m_recordedMutex);
        m_recordedPoses.clear();
    }
    ui.calibrationWidget->show();
    showRecordingFeedback();
    m_feedbackTimer->start(feedbackMilliseconds);
    m_algorithm->startRecording();
}

void TrackingToolCalibrationWizard::stopRecording()
{
    m_feedbackTimer->stop();
    std::unique_ptr<TrackingSequence> sequence = m_algorithm->stopRecording();
    setTrackingHistory(0);
    showRecordingFeedback();
    if (!sequence) {
        // Nothing of the instrument arrived: the page and any accepted recording stay as they were.
        QMessageBox::information(this, tr("Warning"), tr("Recording not valid"));
        return;
    }
    if (acceptRecording(std::move(sequence))) {
        m_algorithm->compute();
        centerGrid();
        centerCamera();
    }
    refreshCompleteness();
    showSequences();
}

bool TrackingToolCalibrationWizard::acceptRecording(std::unique_ptr<TrackingSequence> sequence)
{
    const Eigen::Matrix4d toWorld = m_algorithm->trackingStream()->matrix();
    auto shown = std::make_unique<GlTrackingSequence>(*sequence, toWorld);
    const bool pivoting = m_stage == Pivoting;
    if (pivoting ? m_algorithm->setPivoting(std::move(sequence))
                 : m_algorithm->setRotation(std::move(sequence))) {
        (pivoting ? m_pivotingShown : m_rotationShown) = std::move(shown);
        return true;
    }
    refusedRecording(pivoting ? tr("Number of valid matrices too small in recorded tracking sequence")
                              : tr("Rotation around needle tip is too small"));
    return false;
}

void TrackingToolCalibrationWizard::refusedRecording(const QString& text)
{
    QString message = text;
    if (m_feedback && !m_feedback->refusal().empty())
        message += "\n\n" + QString::fromStdString(m_feedback->refusal());
    QMessageBox::information(this, tr("Invalid tracking sequence"), message);
}

void TrackingToolCalibrationWizard::showRecordingFeedback()
{
    if (!m_feedback)
        return;
    std::vector<Eigen::Matrix4d> poses;
    {
        std::lock_guard lock(m_recordedMutex);
        poses.swap(m_recordedPoses);
    }
    for (const Eigen::Matrix4d& pose : poses)
        m_feedback->add(pose);
    ui.calibrationProgressBar->setValue(m_feedback->progressPercent());
    ui.recordingFeedback->setText(QString::fromStdString(m_feedback->text()));
}

void TrackingToolCalibrationWizard::showSequences()
{
    if (!m_view)
        return;
    const auto* options = m_algorithm->trackingStream()->components().get<TrackingStreamDisplayOptions>();
    const auto indicator = static_cast<GlTrackingSequence::IndicatorType>(
        options ? options->sequenceIndicatorType.value() : TrackingStreamDisplayOptions::Dots);
    const bool shown[] = {m_algorithm->hasPivoting(), m_algorithm->hasRotation()};
    GlTrackingSequence* sequences[] = {m_pivotingShown.get(), m_rotationShown.get()};
    for (int k = 0; k < 2; ++k) {
        if (!sequences[k])
            continue;
        sequences[k]->setIndicatorType(indicator);
        if (shown[k])
            m_view->addObject(sequences[k]);
        else
            m_view->removeObject(sequences[k]);
    }
    m_view->setVisibleData({m_algorithm->trackingStream()});
}

void TrackingToolCalibrationWizard::setTrackingHistory(int seconds)
{
    auto& options = m_algorithm->trackingStream()->components().getOrCreate<TrackingStreamDisplayOptions>();
    options.trackingHistory.setValue(seconds);
}

void TrackingToolCalibrationWizard::onFlip(bool flipped)
{
    m_algorithm->setFlip(flipped);
    m_algorithm->compute();
    centerGrid();
    centerCamera();
}

void TrackingToolCalibrationWizard::onStreamData(const std::shared_ptr<const StreamData>& sample)
{
    const auto tracking = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!tracking)
        return;
    const auto instrument = tracking->instrument(m_algorithm->instrument());
    if (!instrument)
        return;
    // The feedback sees exactly the samples the recording takes, however late the GUI thread runs.
    {
        std::lock_guard lock(m_recordedMutex);
        if (m_algorithm->isRecording())
            m_recordedPoses.push_back(instrument->matrix);
        m_latestPose = {instrument->matrix, instrument->quality};
    }
    // One hand-over at a time: the GUI thread takes the latest pose, however many samples came meanwhile.
    if (m_posePending.exchange(true))
        return;
    QtHelpers::runOnMainThread(
        [this] {
            m_posePending = false;
            std::pair<Eigen::Matrix4d, double> latest;
            {
                std::lock_guard lock(m_recordedMutex);
                latest = m_latestPose;
            }
            updateInstrument(latest.first, latest.second);
        },
        0, this);
}

void TrackingToolCalibrationWizard::updateInstrument(const Eigen::Matrix4d& matrix, double quality)
{
    if (!m_algorithm || !(quality > 0.0))
        return;
    const bool first = !m_lastInstrumentPose;
    m_lastInstrumentPose = matrix;
    if (first)
        centerCamera();
}

void TrackingToolCalibrationWizard::centerGrid()
{
    const auto pivot = m_algorithm ? m_algorithm->pivotPosition() : std::nullopt;
    const auto direction = m_algorithm ? m_algorithm->toolDirection() : std::nullopt;
    if (!pivot || !direction) {
        m_arrow.setVisible(false);
        m_grid.setVisible(false);
        return;
    }
    const Eigen::Matrix4d toWorld = m_algorithm->trackingStream()->matrix();
    const Eigen::Vector3d p = (toWorld * pivot->homogeneous()).head<3>();
    const Eigen::Vector3d t = (toWorld.topLeftCorner<3, 3>() * *direction).normalized();
    m_arrow.setEnds(p, p + 100.0 * t);
    m_arrow.setVisible(true);
    Eigen::Matrix4d gridPose = Eigen::Matrix4d::Identity();
    gridPose.topLeftCorner<3, 3>() =
        Eigen::Quaterniond::FromTwoVectors(Eigen::Vector3d::UnitZ(), t).toRotationMatrix();
    gridPose.topRightCorner<3, 1>() = p;
    m_grid.setMatrix(gridPose);
    m_grid.setVisible(true);
}

void TrackingToolCalibrationWizard::centerCamera()
{
    if (!m_view || !m_algorithm)
        return;
    Camera camera = m_view->camera();
    const Eigen::Vector3d eye = camera.position();
    const Eigen::Matrix4d toWorld = m_algorithm->trackingStream()->matrix();
    const auto pivot = m_algorithm->pivotPosition();
    const auto direction = m_algorithm->toolDirection();
    if (pivot && direction) {
        // From beside the tool and above it, looking at the pivot with the tool pointing up.
        const Eigen::Vector3d p = (toWorld * pivot->homogeneous()).head<3>();
        const Eigen::Vector3d t = (toWorld.topLeftCorner<3, 3>() * *direction).normalized();
        Eigen::Vector3d d = eye - p;
        if (d.norm() > 0)
            d.normalize();
        camera.setLookAt(p + pivotViewDistance * (d - d.dot(t) * t + t), p, t);
    } else {
        const Eigen::Vector3d target =
            m_lastInstrumentPose ? Eigen::Vector3d((toWorld * m_lastInstrumentPose->col(3)).head<3>())
                                 : Eigen::Vector3d::Zero().eval();
        Eigen::Vector3d d = eye - target;
        if (d.norm() > 0)
            d.normalize();
        camera.setLookAt(target + toolViewDistance * d, target, camera.up());
    }
    m_view->setCamera(camera);
    if (m_display)
        m_display->update();
}

void TrackingToolCalibrationWizard::accept()
{
    if (!m_algorithm)
        return;
    m_algorithm->accept();
    signalReceiver()->disconnectAll();
    clean();
    if (ApplicationController* application = applicationController())
        application->requestRemoval(m_algorithm);
    m_algorithm = nullptr;
}

void TrackingToolCalibrationWizard::clean()
{
    m_feedbackTimer->stop();
    if (m_view) {
        if (m_recenterOverlay)
            m_view->removeOverlay(m_recenterOverlay);
        m_recenterOverlay = nullptr;
        for (GlObject* object : std::initializer_list<GlObject*>{&m_grid, &m_arrow, m_pivotingShown.get(),
                                                                 m_rotationShown.get()})
            if (object)
                m_view->removeObject(object);
        m_view->showAllData();
        if (m_savedCamera)
            m_view->setCamera(*m_savedCamera);
        m_savedCamera.reset();
    }
    if (m_display)
        m_display->layoutViews(DisplayWidgetMulti::GridLayout);
    if (m_algorithm && m_savedDisplayOptions) {
        m_algorithm->trackingStream()->components().getOrCreate<TrackingStreamDisplayOptions>().configure(
            m_savedDisplayOptions.get());
        m_savedDisplayOptions.reset();
    }
}

}  // namespace Tesselon
