#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/DeviceTime.h"
#include "host/stream/TrackingStream.h"

#include <Eigen/Core>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Tesselon {

/// Measures what a chain of derived streams does to a source whose true motion is known (the simulated
/// tracker): per output instrument its sample rate, the latency the chain adds, its position error
/// against the truth before and after the last stage (for smoothing: the jitter it removes), and the lag
/// it costs on a moving instrument. Samples are matched through their device timestamps.
///
/// A bridge runs through a whole procedure, so the meter keeps running figures, not observations: its
/// memory does not grow with the run, and the lag is estimated from the newest outputs only.
class TrackingAccuracyMeter : public SignalReceiver
{
public:
    /// The true pose of an instrument (by ID) at a device time, if known.
    using Truth = std::function<std::optional<Eigen::Matrix4d>(const std::string& id,
                                                               std::chrono::duration<double> deviceTime)>;

    struct InstrumentReport
    {
        std::string id;
        std::string name;
        std::size_t samples = 0;
        double rateHz = 0.0;
        double latencyMicroseconds = 0.0;  ///< mean time from the source's emission to this output
        double errorBeforeMm = 0.0;        ///< RMS distance to the truth at the last stage's input
        double errorAfterMm = 0.0;         ///< RMS distance to the truth at the output
        double lagMs = 0.0;                ///< delay of the newest outputs that best explains their error
    };

    /// How many of an instrument's newest outputs the lag is estimated from.
    static constexpr std::size_t lagWindow = 500;

    /// Connect before the derived streams are created, so the source's emission time is taken first.
    TrackingAccuracyMeter(TrackingStream& source, Truth truth);
    ~TrackingAccuracyMeter() override;

    /// The stages to compare: the input of the last stage (may be the source) and the final output.
    void watch(TrackingStream& lastStageInput, TrackingStream& output);
    std::vector<InstrumentReport> report() const;

private:
    using Clock = std::chrono::steady_clock;

    /// Welford's running mean.
    struct RunningMean
    {
        double mean = 0.0;
        std::size_t count = 0;
        void add(double value) { mean += (value - mean) / static_cast<double>(++count); }
    };

    struct Observation
    {
        DeviceTime deviceTime;
        Eigen::Vector3d position;
    };

    struct Instrument
    {
        std::string name;
        std::size_t samples = 0;
        Clock::time_point first;
        Clock::time_point last;
        RunningMean latencyMicroseconds;
        RunningMean squaredErrorBefore;
        RunningMean squaredErrorAfter;
        std::deque<Observation> newest;  ///< at most `lagWindow` outputs
    };

    void noteEmission(DeviceTime deviceTime);
    void record(const StreamData& sample, bool output);
    void recordOutput(Instrument& instrument, const Observation& observation, Clock::time_point received);
    std::optional<double> squaredError(const std::string& id, const Observation& observation,
                                       std::chrono::milliseconds delay) const;
    /// The delay in [from, to] by `step` that best explains the observations' error.
    std::chrono::milliseconds bestLag(const std::string& id, const std::deque<Observation>& observations,
                                      std::chrono::milliseconds from, std::chrono::milliseconds to,
                                      std::chrono::milliseconds step) const;
    double lagMs(const std::string& id, const std::deque<Observation>& observations) const;

    Truth m_truth;
    mutable std::mutex m_mutex;
    // The newest emission of each recent device time: a restarted source reuses its times.
    std::unordered_map<DeviceTime::rep, Clock::time_point> m_emitted;
    std::deque<std::pair<DeviceTime, Clock::time_point>> m_emissionOrder;
    std::map<std::string, Instrument> m_instruments;
};

}  // namespace Tesselon
