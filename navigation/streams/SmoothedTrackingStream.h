#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Parameter.h"
#include "host/stream/KalmanPosition.h"
#include "host/stream/KalmanQuaternion.h"
#include "host/stream/TrackingStream.h"

#include <Eigen/Core>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

class DataList;
class TrackingStreamData;

/// Re-emits every sample of one input tracking stream with each instrument's pose smoothed over time:
/// by a quality-weighted moving average or by a Kalman filter per instrument. Filters and windows
/// belong to instruments by their position in the sample. Opening, starting, stopping, closing, pausing
/// and resuming are forwarded to the input, whose state (and failure) this stream mirrors; destroying it
/// closes the input.
class SmoothedTrackingStream : public TrackingStream, public SignalReceiver
{
public:
    // A fixed underlying type, so that any configured integer is a valid value to check and replace.
    enum SmoothingMode : int
    {
        None = 0,
        WeightedAverage = 1,
        KalmanFilter = 2
    };

    explicit SmoothedTrackingStream(const DataList& inputs);
    explicit SmoothedTrackingStream(TrackingStream* input);
    ~SmoothedTrackingStream() override;

    /// Exactly one entry, and it is a tracking stream.
    static bool isCompatible(const DataList& data);

    std::vector<TrackingInstrument> instruments() const override;
    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;

    Parameter<SmoothingMode> smoothingMode{"smoothingMode", KalmanFilter, this};
    Parameter<int> smoothingInterval{"smoothingInterval", 200, this};
    Parameter<double> translationError{"translationError", 0.5, this};
    Parameter<double> angularError{"angularError", 1.0, this};
    Parameter<double> processSigma{"processSigma", 0.5, this};

protected:
    bool openImpl() override;
    bool startImpl() override;
    bool stopImpl() override;
    bool closeImpl() override;
    bool pauseImpl() override;
    bool resumeImpl() override;

private:
    /// Smooths and re-emits one sample of the input.
    void smoothAndUpdate(std::shared_ptr<const StreamData> sample);

    // Everything below runs with m_mutex held.
    std::shared_ptr<TrackingStreamData> smoothLocked(const TrackingStreamData& sample);
    /// Empties every window and filter.
    void resetSmoothing();
    void updateHiddenAttributes();
    void replaceNonFinitePoses(std::vector<TrackingInstrument>& instruments);
    void passThroughRenamed(std::vector<TrackingInstrument>& instruments);
    void averageInstruments(std::vector<TrackingInstrument>& instruments);
    /// One moving-average step for the instrument at this position: its smoothed pose and quality.
    std::pair<Eigen::Matrix4d, double> updateMovingAverage(int index, const Eigen::Matrix4d& pose,
                                                           double quality);
    void filterInstruments(std::vector<TrackingInstrument>& instruments,
                           std::optional<DeviceTime> deviceTime);
    void initialiseFilters(const std::vector<TrackingInstrument>& instruments, double positionSigma,
                           double orientationSigma);
    KalmanTimeStep timeStep(std::optional<DeviceTime> deviceTime);

    TrackingStream* m_input;
    // Guards the parameters, windows and filters. Never held while emitting, so a receiver of our
    // samples may reconfigure us from its slot.
    mutable std::mutex m_mutex;
    std::vector<KalmanPosition> m_positionFilters;
    std::vector<KalmanQuaternion> m_orientationFilters;
    std::vector<double> m_smoothedQualities;
    std::optional<DeviceTime> m_lastDeviceTime;
    std::optional<KalmanTimeStep> m_lastGoodTimeStep;
    bool m_reportedTimestampProblem = false;
    // One moving-average window per instrument position; quaternions are kept so each entry is
    // converted once, not once per sample it stays in the window.
    struct WindowEntry
    {
        Eigen::Vector3d translation;
        Eigen::Vector4d wxyz;
        double weight;
    };
    struct Window
    {
        std::vector<WindowEntry> entries;
        // The oldest entry, overwritten next once the window is full. Kept per window: an instrument that
        // appears later fills its window later, and a shared slot would overwrite one of its newer entries.
        std::size_t oldest = 0;
    };
    std::vector<Window> m_windows;
    // Last finite pose per instrument position, standing in for poses that arrive non-finite.
    std::vector<Eigen::Matrix4d> m_lastFinitePoses;
    // Separate from the processing lock so receivers of our own samples can read it.
    mutable std::mutex m_lastInstrumentsMutex;
    std::vector<TrackingInstrument> m_lastInstruments;
};

}  // namespace Tesselon
