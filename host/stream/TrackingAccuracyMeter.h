#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/DeviceTime.h"
#include "host/stream/TrackingStream.h"

#include <Eigen/Core>

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

/// Measures what a chain of derived streams does to a source whose true motion is known (the simulated
/// tracker): per output instrument its sample rate, the latency the chain adds, its position error
/// against the truth before and after the last stage (for smoothing: the jitter it removes), and the lag
/// it costs on a moving instrument. Samples are matched through their device timestamps.
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
        double lagMs = 0.0;                ///< delay of the output that best explains its error
    };

    /// Connect before the derived streams are created, so the source's emission time is taken first.
    TrackingAccuracyMeter(TrackingStream& source, Truth truth);
    ~TrackingAccuracyMeter() override;

    /// The stages to compare: the input of the last stage (may be the source) and the final output.
    void watch(TrackingStream& lastStageInput, TrackingStream& output);
    std::vector<InstrumentReport> report() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Observation
    {
        DeviceTime deviceTime;
        Eigen::Vector3d position;
        Clock::time_point received;
    };

    void record(std::map<std::string, std::vector<Observation>>& into, const StreamData& sample);
    double rmsError(const std::string& id, const std::vector<Observation>& observations,
                    std::chrono::milliseconds delay) const;
    double bestLag(const std::string& id, const std::vector<Observation>& observations) const;
    InstrumentReport reportFor(const std::string& id, const std::vector<Observation>& after) const;

    Truth m_truth;
    mutable std::mutex m_mutex;
    std::map<DeviceTime, Clock::time_point> m_emitted;
    std::map<std::string, std::vector<Observation>> m_before;
    std::map<std::string, std::vector<Observation>> m_after;
    std::map<std::string, std::string> m_names;
};

}  // namespace Tesselon
