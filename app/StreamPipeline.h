#pragma once

#include "host/stream/TrackingAccuracyMeter.h"
#include "host/stream/sources/SimulatedTracker.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

class PluginLoader;

/// The simulated tracker feeding the plug-in's derived streams, created through the plug-in's algorithms
/// exactly as the host's menus would, with a meter on the chain: what `tesselon stream` and the demo run.
class StreamPipeline
{
public:
    struct Combination
    {
        std::string reference;
        std::string target;
        bool relative = true;
    };

    struct Options
    {
        double rate = 60.0;
        int seed = 1;
        std::optional<std::string> smoothing;  ///< "none", "average" or "kalman"; no smoothing stage without
        std::optional<Combination> combination;
        std::string instruments;  ///< simulated instrument IDs, comma-separated; empty for the default set
    };

    /// Parses "PRE:POST[:relative|composition]"; throws std::invalid_argument with a sentence.
    static Combination parseCombination(const std::string& text);

    /// Builds the chain; throws std::runtime_error with a sentence when a stage cannot be created.
    StreamPipeline(PluginLoader& plugins, const Options& options);
    ~StreamPipeline();

    /// Runs the tracker in real time for this long and measures every output instrument.
    std::vector<TrackingAccuracyMeter::InstrumentReport> run(double seconds);
    /// The chain in words, e.g. "Simulated Tracker (60 Hz) -> Kalman smoothing".
    std::string description() const;

private:
    std::unique_ptr<TrackingStream> createStream(PluginLoader& plugins, const std::string& algorithmId,
                                                 TrackingStream& input, const Properties& configuration);
    std::optional<Eigen::Matrix4d> truth(const std::string& id, double timeMs) const;

    Options m_options;
    SimulatedTracker m_tracker;
    std::unique_ptr<TrackingAccuracyMeter> m_meter;
    std::unique_ptr<TrackingStream> m_combined;
    std::unique_ptr<TrackingStream> m_smoothed;
};

}  // namespace Tesselon
