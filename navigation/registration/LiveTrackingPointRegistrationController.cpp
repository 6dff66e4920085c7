#include "navigation/registration/LiveTrackingPointRegistrationController.h"

#include "host/core/base/Log.h"
#include "host/core/io/PointListFile.h"
#include "host/core/io/PointListFileError.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/PointPickInteraction.h"
#include "host/gui/PointCorrespondencesWidget.h"
#include "host/gui/TrackingInstrumentComboBox.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <fmt/format.h>

#include <algorithm>

namespace Tesselon {
namespace {

constexpr const char* category = "LiveTrackingPointRegistration";
// Both instrument lists show the ID and the name.
constexpr int instrumentFormatting =
    TrackingInstrumentComboBox::ShowId | TrackingInstrumentComboBox::ShowName;
// Setting an item's data under this role to 0 makes a combo box item unselectable.
constexpr int itemEnabledRole = 255;
// A pair whose residual exceeds both this many times the others' median and this distance is named as a
// likely mistake: a wrong divot touched or a landmark marked off by a few millimetres.
constexpr double outlierFactor = 3.0;
constexpr double outlierMinimumMm = 1.0;

const QString registerToolTip = QStringLiteral(
    "<b>Register points</b><ul><li>Without relative device: Transforms image using registration "
    "matrix.</li><li>With relative device: (e.g. use with ToolVisualization)<ul><li><i>Adjust calibration "
    "of relative tracker</i>: Updates the relative device's calibration matrix.</li><li><i>Adjust "
    "registration of volume</i>: Transforms image using registration matrix.</li></ul></li></ul>");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

}  // namespace

LiveTrackingPointRegistrationController::LiveTrackingPointRegistrationController(
    LiveTrackingPointRegistrationAlgorithm* algorithm)
    : AlgorithmController(algorithm),
      m_volumeManipulator(algorithm->volumePoints(), false),
      m_trackedManipulator(algorithm->trackedPoints()),
      m_algorithm(algorithm),
      m_dwellCapture(algorithm->trackedPoints())
{
    ui.setupUi(this);
    m_targetMarker.setColor(Eigen::Vector3d(1.0, 0.85, 0.2));
    m_targetMarker.setPointSize(12.0);
    m_targetMarker.setShowDistanceLabel(false);
}

LiveTrackingPointRegistrationController::~LiveTrackingPointRegistrationController()
{
    signalReceiver()->disconnectAll();
    m_dwellCapture.disconnectAll();
    // The table and its views go before the manipulators they show.
    delete m_correspondencesWidget;
    if (ApplicationController* application = applicationController())
        application->display().viewGroup()->removeObject(&m_targetMarker);
}

void LiveTrackingPointRegistrationController::init()
{
    connect(ui.pushButtonRegister, &QPushButton::clicked, this,
            &LiveTrackingPointRegistrationController::onRegister);
    connect(ui.comboBox_registrationType, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &LiveTrackingPointRegistrationController::onRegistrationTypeChanged);
    connectInstrumentBoxes();
    ui.comboBox_registrationType->setCurrentIndex(m_algorithm->registrationType.value());
    m_volumeManipulator.setPointColor(Eigen::Vector3d(1, 0, 0));
    m_trackedManipulator.setPointColor(Eigen::Vector3d(0, 1, 0));

    m_correspondencesWidget = new PointCorrespondencesWidget(m_algorithm->pointCorrespondences(),
                                                             m_trackedManipulator, m_volumeManipulator);
    m_correspondencesWidget->setSideNames(tr("Tracked"), tr("Volume"));
    ApplicationController* application = applicationController();
    m_correspondencesWidget->init(application ? &application->display() : nullptr);
    auto* box = new QVBoxLayout(ui.pointCorrespondences);
    box->addWidget(m_correspondencesWidget);
    ui.pushButtonRegister->setToolTip(registerToolTip);
    connectDwellCapture();
    connectQuality();
}

void LiveTrackingPointRegistrationController::connectInstrumentBoxes()
{
    PointsOnTrackingStream& tracked = m_algorithm->trackedPoints();
    connect(ui.comboBox_tool, &TrackingInstrumentComboBox::instrumentSelected, this,
            [&tracked](const QString& id) { tracked.setTrackerId(id.toStdString()); });
    ui.comboBox_tool->setSeparator(" : ");
    ui.comboBox_tool->initFromTrackingStream(&m_algorithm->stream(), instrumentFormatting, false);
    if (!tracked.trackerId().empty())
        ui.comboBox_tool->selectInstrument(tracked.trackerId());

    connect(ui.comboBox_relTool, &TrackingInstrumentComboBox::instrumentSelected, this,
            [this, &tracked](const QString& id) {
                const std::string relative = id.toStdString();
                tracked.setRelativeTrackerId(relative.empty() ? std::nullopt : std::optional(relative));
                onRelToolChanged(relative);
            });
    ui.comboBox_relTool->setSeparator(" : ");
    ui.comboBox_relTool->initFromTrackingStream(&m_algorithm->stream(), instrumentFormatting, true);
    if (const auto relative = tracked.relativeTrackerId())
        ui.comboBox_relTool->selectInstrument(*relative);
    onRelToolChanged(tracked.relativeTrackerId().value_or(std::string()));

    tracked.pointsAdded.connect(signalReceiver(), [this](int first, int last) {
        if (first < last)
            setInstrumentChoiceLocked(true);
    });
    tracked.pointsRemoved.connect(signalReceiver(), [this, &tracked](int, int) {
        if (tracked.empty())
            setInstrumentChoiceLocked(false);
    });
}

void LiveTrackingPointRegistrationController::setInstrumentChoiceLocked(bool locked)
{
    ui.comboBox_tool->setEnabled(!locked);
    ui.comboBox_relTool->setEnabled(!locked);
}

void LiveTrackingPointRegistrationController::onRegister()
{
    m_algorithm->compute();
    showQuality();
}

void LiveTrackingPointRegistrationController::onRegistrationTypeChanged()
{
    m_algorithm->registrationType = static_cast<LiveTrackingPointRegistrationAlgorithm::RegistrationType>(
        ui.comboBox_registrationType->currentIndex());
}

void LiveTrackingPointRegistrationController::onRelToolChanged(const std::string& id)
{
    QComboBox* types = ui.comboBox_registrationType;
    if (id.empty()) {
        types->setCurrentIndex(0);
        types->setEnabled(false);
        return;
    }
    auto* model = static_cast<QStandardItemModel*>(types->model());
    model->item(0)->setData(0, itemEnabledRole);
    model->item(0)->setEnabled(false);
    if (types->currentIndex() == 0)
        types->setCurrentIndex(1);
    types->setEnabled(true);
}

void LiveTrackingPointRegistrationController::connectDwellCapture()
{
    const auto applySettings = [this] {
        DwellSettings settings;
        settings.radius = ui.dwellRadius->value();
        settings.duration = ui.dwellDuration->value();
        m_dwellCapture.setSettings(settings);
    };
    applySettings();
    for (QDoubleSpinBox* box : {ui.dwellRadius, ui.dwellDuration})
        connect(box, qOverload<double>(&QDoubleSpinBox::valueChanged), this, applySettings);
    connect(ui.dwellCapture, &QGroupBox::toggled, this, [this](bool on) {
        m_dwellCapture.setEnabled(on);
        ui.dwellStatus->setText(on ? tr("Put the pointer's tip on a landmark and hold it still.")
                                   : QString());
    });
    m_dwellCapture.captured.connect(signalReceiver(), [this](int index) {
        ui.dwellStatus->setText(tr("Point %1 taken. Move on to the next landmark.").arg(index + 1));
    });
    m_dwellCapture.movedOn.connect(signalReceiver(), [this] {
        ui.dwellStatus->setText(tr("Moved on: put the tip on the next landmark and hold it still."));
    });
}

void LiveTrackingPointRegistrationController::connectQuality()
{
    ApplicationController* application = applicationController();
    if (application) {
        m_targetPick = std::make_unique<PointPickInteraction>(application->display(),
                                                              [this](const Eigen::Vector3d& world) {
                                                                  ui.pickTarget->setChecked(false);
                                                                  setTarget(world);
                                                              });
        application->display().viewGroup()->addObject(&m_targetMarker);
        m_targetMarker.setVisible(false);
    }
    connect(ui.pickTarget, &QPushButton::toggled, this, [this](bool armed) {
        if (!m_targetPick)
            return;
        armed ? m_targetPick->arm() : m_targetPick->disarm();
        if (armed)
            ui.targetError->setText(tr("Click the target in a slice view."));
    });
    connect(ui.loadTarget, &QPushButton::clicked, this,
            &LiveTrackingPointRegistrationController::chooseTargetFile);
}

void LiveTrackingPointRegistrationController::showQuality()
{
    m_correspondencesWidget->setResiduals(m_algorithm->residuals());
    if (m_algorithm->status() != Algorithm::Success) {
        QString problem = QString::fromStdString(m_algorithm->problem());
        if (!problem.endsWith('.'))
            problem += '.';
        ui.registrationResult->setText(tr("Not registered: %1 Nothing was changed.").arg(problem));
        return;
    }
    const std::vector<double>& residuals = m_algorithm->residuals();
    const auto worst = std::max_element(residuals.begin(), residuals.end());
    ui.registrationResult->setText(tr("Registered with %1 pairs: RMS error %2 mm; largest residual %3 mm "
                                      "(pair %4).")
                                       .arg(residuals.size())
                                       .arg(m_algorithm->registrationError().value_or(0.0), 0, 'f', 2)
                                       .arg(*worst, 0, 'f', 2)
                                       .arg(worst - residuals.begin() + 1));
    reportLikelyMistake();
    showTargetError();
}

void LiveTrackingPointRegistrationController::reportLikelyMistake()
{
    std::vector<double> others = m_algorithm->residuals();
    if (others.size() < 4)
        return;
    const auto worst = std::max_element(others.begin(), others.end());
    const double largest = *worst;
    const auto pair = worst - others.begin() + 1;
    others.erase(worst);
    const double typical = median(others);
    if (largest < outlierMinimumMm || largest < outlierFactor * typical)
        return;
    const std::string sentence = fmt::format(
        "Pair {} fits far worse than the others: its residual is {:.2f} mm, the others' median {:.2f} mm. It "
        "is likely a mistake (a wrong landmark touched or marked); capture or place it again.",
        pair, largest, typical);
    Log::warning(category, sentence);
    ui.registrationResult->setText(ui.registrationResult->text() + "\n" + QString::fromStdString(sentence));
}

void LiveTrackingPointRegistrationController::setTarget(const Eigen::Vector3d& targetInWorld)
{
    m_target = targetInWorld;
    m_targetMarker.setPoint(targetInWorld);
    m_targetMarker.setVisible(true);
    if (ApplicationController* application = applicationController())
        application->display().update();
    showTargetError();
}

void LiveTrackingPointRegistrationController::showTargetError()
{
    if (!m_target)
        return;
    const QString where = QString("(%1, %2, %3)")
                              .arg(m_target->x(), 0, 'f', 1)
                              .arg(m_target->y(), 0, 'f', 1)
                              .arg(m_target->z(), 0, 'f', 1);
    const std::optional<double> error = m_algorithm->status() == Algorithm::Success
                                            ? m_algorithm->expectedTargetError(*m_target)
                                            : std::nullopt;
    ui.targetError->setText(
        error ? tr("Expected error at the target %1 mm: %2 mm RMS.").arg(where).arg(*error, 0, 'f', 2)
              : tr("Target at %1 mm: register first to see the error to expect there.").arg(where));
}

void LiveTrackingPointRegistrationController::chooseTargetFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load Target"), QString(),
                                                      tr("Point lists (*.mrk.json *.json *.csv)"));
    if (path.isEmpty())
        return;
    try {
        const PointList list = PointListFile::read(path.toStdString());
        if (list.points.empty())
            throw PointListFileError(path.toStdString(), 0, "it holds no point to use as the target");
        setTarget(list.points.front().position);
    } catch (const PointListFileError& error) {
        Log::error(category, error.what());
        ui.targetError->setText(QString::fromStdString(error.what()));
    }
}

}  // namespace Tesselon
