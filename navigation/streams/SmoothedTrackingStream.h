#pragma once

#include "host/core/Parameter.h"
#include "host/core/SignalReceiver.h"
#include "host/stream/KalmanPosition.h"
#include "host/stream/KalmanQuaternion.h"
#include "host/stream/TrackingStream.h"

#include <Eigen/Core>

#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

class DataList;

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

    /// Empties every window and filter.
    void resetSmoothing();
    /// Processes and re-emits one sample of the input.
    void smoothAndUpdate(std::shared_ptr<const StreamData> sample);
    /// One moving-average step for the instrument at this position: its smoothed pose and quality.
    std::pair<Eigen::Matrix4d, double> updateMovingAverage(int index, const Eigen::Matrix4d& pose,
                                                           double quality);

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
    void updateHiddenAttributes();
    void clampInterval();
    void replaceNonFinitePoses(std::vector<TrackingInstrument>& instruments);
    void passThroughRenamed(std::vector<TrackingInstrument>& instruments);
    void averageInstruments(std::vector<TrackingInstrument>& instruments);
    void filterInstruments(std::vector<TrackingInstrument>& instruments, std::uint64_t deviceTimestamp);
    void initialiseFilters(const std::vector<TrackingInstrument>& instruments, double positionSigma,
                           double orientationSigma);
    double timeStep(std::uint64_t deviceTimestamp);

    TrackingStream* m_input;
    // Guards configuration and sample processing; the new-data signal is emitted under it.
    std::mutex m_mutex;
    std::vector<KalmanPosition> m_positionFilters;
    std::vector<KalmanQuaternion> m_orientationFilters;
    std::vector<double> m_smoothedQualities;
    std::uint64_t m_lastDeviceTimestamp = 0;
    std::optional<double> m_lastGoodTimeStep;
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
