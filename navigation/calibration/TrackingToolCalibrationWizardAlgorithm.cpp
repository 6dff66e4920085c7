#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"

#include "host/core/base/Log.h"
#include "host/core/geometry/Pose.h"
#include "host/core/model/DataList.h"
#include "navigation/calibration/ToolCalibrationAlgorithm.h"

#include <fmt/core.h>

namespace Tesselon {
namespace {

constexpr const char* category = "TrackingToolCalibrationWizardAlgorithm";
}  // namespace

TrackingToolCalibrationWizardAlgorithm::TrackingToolCalibrationWizardAlgorithm(TrackingStream* stream)
    : m_stream(stream), m_recorder(std::make_unique<TrackingStreamRecorder>(stream))
{
    m_recorder->setRecordAllInstruments(false);
}

TrackingToolCalibrationWizardAlgorithm::~TrackingToolCalibrationWizardAlgorithm()
{
    reset();
}

bool TrackingToolCalibrationWizardAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    if (data.size() != 1)
        return false;
    auto* stream = dynamic_cast<TrackingStream*>(data[0]);
    if (!stream)
        return false;
    if (out)
        *out = new TrackingToolCalibrationWizardAlgorithm(stream);
    return true;
}

std::string TrackingToolCalibrationWizardAlgorithm::instrument() const
{
    std::lock_guard lock(m_instrumentMutex);
    return m_instrument;
}

void TrackingToolCalibrationWizardAlgorithm::setInstrument(const std::string& id)
{
    const std::string current = instrument();
    if (!current.empty() && current != id)
        reset();
    std::lock_guard lock(m_instrumentMutex);
    m_instrument = id;
}

void TrackingToolCalibrationWizardAlgorithm::startRecording()
{
    m_recorder->setRecordingInstrument(instrument());
    m_recorder->start();
}

std::unique_ptr<TrackingSequence> TrackingToolCalibrationWizardAlgorithm::stopRecording()
{
    m_recorder->stop();
    for (auto& data : m_recorder->takeOutput())
        if (auto* sequence = dynamic_cast<TrackingSequence*>(data.get())) {
            data.release();
            return std::unique_ptr<TrackingSequence>(sequence);
        }
    return nullptr;
}

bool TrackingToolCalibrationWizardAlgorithm::isRecording() const
{
    return m_recorder->isRecording();
}

double TrackingToolCalibrationWizardAlgorithm::pivotingTurn(const std::vector<Eigen::Matrix4d>& poses)
{
    const std::size_t n = poses.size();
    if (n < minimumPivotingSamples)
        return 0.0;
    // The steps between poses spread evenly over the recording, so that its length does not count.
    const double step = static_cast<double>(n) / static_cast<double>(minimumPivotingSamples);
    double sum = 0.0;
    for (std::size_t i = 1; i < minimumPivotingSamples; ++i) {
        const auto a = static_cast<std::size_t>(static_cast<double>(i - 1) * step);
        const auto b = static_cast<std::size_t>(static_cast<double>(i) * step);
        sum += rotationTurn(poses[a], poses[b]);
    }
    return sum;
}

double TrackingToolCalibrationWizardAlgorithm::rotationTurn(const Eigen::Matrix4d& first,
                                                            const Eigen::Matrix4d& last)
{
    return Pose::geodesicDistance(Eigen::Matrix3d(first.topLeftCorner<3, 3>()),
                                  Eigen::Matrix3d(last.topLeftCorner<3, 3>()));
}

bool TrackingToolCalibrationWizardAlgorithm::setPivoting(std::unique_ptr<TrackingSequence> sequence)
{
    std::vector<Eigen::Matrix4d> poses;
    for (std::size_t i = 0; sequence && i < sequence->size(); ++i)
        poses.push_back(sequence->matrix(i));
    if (poses.size() < minimumPivotingSamples)
        return false;
    const double turn = pivotingTurn(poses);
    Log::log(Log::Debug, category, fmt::format("Pivoting sequence: Cumulated geodesic distance {}", turn));
    if (turn < minimumPivotingTurn)
        return false;
    m_pivoting = std::move(sequence);
    return true;
}

bool TrackingToolCalibrationWizardAlgorithm::setRotation(std::unique_ptr<TrackingSequence> sequence)
{
    const std::size_t n = sequence ? sequence->size() : 0;
    if (n <= 1)
        return false;
    const double distance = rotationTurn(sequence->matrix(0), sequence->matrix(n - 1));
    Log::log(Log::Debug, category, fmt::format("Rotation sequence: Geodesic distance {}", distance));
    if (distance < minimumRotationTurn)
        return false;
    m_rotation = std::move(sequence);
    return true;
}

InstrumentCalibrationDataComponent& TrackingToolCalibrationWizardAlgorithm::store()
{
    return m_stream->components().getOrCreate<InstrumentCalibrationDataComponent>();
}

void TrackingToolCalibrationWizardAlgorithm::compute()
{
    const std::string id = instrument();
    if (id.empty())
        return;
    if (!m_previousCalibration)
        m_previousCalibration = store().calibration(id);
    ToolCalibrationAlgorithm calibration(m_pivoting.get(), m_rotation.get());
    if (m_flip)
        calibration.rotateCalibration180();
    calibration.compute();
    m_pivotPosition = calibration.pivotPosition();
    m_toolDirection = calibration.toolDirection();
    m_problem = calibration.problem();
    // A refused calibration would show as an identity tool: keep what the store had instead.
    if (calibration.status() == Success)
        store().setCalibration(id, calibration.calibration(), 0.0);
}

void TrackingToolCalibrationWizardAlgorithm::accept()
{
    m_previousCalibration.reset();
}

void TrackingToolCalibrationWizardAlgorithm::reset()
{
    if (m_previousCalibration) {
        store().setCalibration(instrument(), m_previousCalibration->matrix, m_previousCalibration->error);
        m_previousCalibration.reset();
    }
    m_pivoting.reset();
    m_rotation.reset();
    m_flip = false;
    // What the dropped recordings gave belongs to them.
    m_pivotPosition.reset();
    m_toolDirection.reset();
}

}  // namespace Tesselon
