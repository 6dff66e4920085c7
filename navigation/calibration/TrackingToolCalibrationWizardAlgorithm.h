#pragma once

#include "host/core/model/Algorithm.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamRecorder.h"

#include <Eigen/Core>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

/// The model of the guided calibration: records one instrument of a live stream while the user pivots
/// it and turns it, checks each recording for enough motion, computes the calibration and writes it into
/// the stream's calibration store at once, so the live view shows the calibrated tool. Abandoning the
/// wizard (destruction without `accept`) restores the calibration the instrument had before.
class TrackingToolCalibrationWizardAlgorithm : public Algorithm
{
public:
    explicit TrackingToolCalibrationWizardAlgorithm(TrackingStream* stream);
    ~TrackingToolCalibrationWizardAlgorithm() override;

    static bool createCompatible(const DataList& data, Algorithm** out);

    TrackingStream* trackingStream() const { return m_stream; }
    std::string instrument() const;
    /// Chooses the instrument; choosing another one first restores the previous one (`reset`).
    void setInstrument(const std::string& id);

    void startRecording();
    /// The recording of the chosen instrument, or null when nothing was recorded.
    std::unique_ptr<TrackingSequence> stopRecording();
    bool isRecording() const;

    /// Keeps a pivoting recording if it has at least 50 samples and enough rotation; false otherwise.
    bool setPivoting(std::unique_ptr<TrackingSequence> sequence);
    /// Keeps a rotation recording if its first and last samples are turned far enough apart.
    bool setRotation(std::unique_ptr<TrackingSequence> sequence);
    void setFlip(bool flip) { m_flip = flip; }
    bool hasPivoting() const { return m_pivoting != nullptr; }
    bool hasRotation() const { return m_rotation != nullptr; }

    /// What a pivoting recording needs: this many poses, turned this much (radians) summed over the steps
    /// between that many poses spread evenly over it.
    static constexpr std::size_t minimumPivotingSamples = 50;
    static constexpr double minimumPivotingTurn = 2.0;
    /// What a rotation recording needs: its first and last poses turned this much apart (radians).
    static constexpr double minimumRotationTurn = 0.5;
    /// How much pivoting poses turned, as `setPivoting` measures it; 0 below the minimum count.
    static double pivotingTurn(const std::vector<Eigen::Matrix4d>& poses);
    /// The angle between two poses' rotations (radians); translations play no part.
    static double rotationTurn(const Eigen::Matrix4d& first, const Eigen::Matrix4d& last);

    /// Computes the calibration from the kept recordings and stores it for the instrument.
    void compute() override;
    /// Makes the stored calibration permanent.
    void accept();
    /// Restores the instrument's earlier calibration and drops the recordings.
    void reset();

    std::optional<Eigen::Vector3d> pivotPosition() const { return m_pivotPosition; }
    std::optional<Eigen::Vector3d> toolDirection() const { return m_toolDirection; }
    /// The problem the last compute reported (empty after a success).
    const std::string& problem() const { return m_problem; }

private:
    InstrumentCalibrationDataComponent& store();

    TrackingStream* m_stream;
    std::unique_ptr<TrackingSequence> m_pivoting;
    std::unique_ptr<TrackingSequence> m_rotation;
    bool m_flip = false;
    mutable std::mutex m_instrumentMutex;
    std::string m_instrument;
    std::unique_ptr<TrackingStreamRecorder> m_recorder;
    std::optional<InstrumentCalibrationDataComponent::Calibration> m_previousCalibration;
    std::optional<Eigen::Vector3d> m_toolDirection;
    std::optional<Eigen::Vector3d> m_pivotPosition;
    std::string m_problem;
};

}  // namespace Tesselon
