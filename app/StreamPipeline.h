#pragma once

#include "host/stream/TrackingAccuracyMeter.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "host/stream/igtl/IgtlTrackingServer.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

class PluginLoader;
class SimulatedTracker;
class TrackingFrameRecorder;

/// A tracking source (the simulated tracker, an OpenIGTLink server or a recording) feeding the plug-in's
/// derived streams, created through the plug-in's algorithms exactly as the host's menus would, with a
/// meter on the chain and optional outputs (an OpenIGTLink server, a recording): what `tesselon stream`
/// and the demo run.
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
        // The source: the simulated tracker unless an OpenIGTLink address or a recording is given.
        double rate = 60.0;
        int seed = 1;
        std::string instruments;  ///< simulated instrument IDs, comma-separated; empty for the default set
        std::optional<IgtlAddress> igtl;
        std::string playFile;
        bool loop = false;
        double speed = 1.0;  ///< playback: 1 in real time, 0 as fast as possible

        std::optional<std::string> smoothing;  ///< "none", "average" or "kalman"; no smoothing stage without
        std::optional<Combination> combination;

        // Outputs of the last stage.
        std::optional<int> servePort;
        IgtlTrackingServer::Format serveFormat = IgtlTrackingServer::Format::Transform;
        std::map<std::string, std::string> serveNames;  ///< device names by instrument ID
        std::string recordFile;
    };

    /// Parses "PRE:POST[:relative|composition]"; throws std::invalid_argument with a sentence.
    static Combination parseCombination(const std::string& text);
    /// Parses "ID=NAME"; throws std::invalid_argument with a sentence.
    static std::pair<std::string, std::string> parseDeviceName(const std::string& text);

    /// Builds the chain; throws std::runtime_error with a sentence when a stage cannot be created.
    StreamPipeline(PluginLoader& plugins, const Options& options);
    ~StreamPipeline();

    /// Runs the source in real time for this long (a recording played without loop ends sooner when it
    /// ends), then measures every output instrument and writes the recording, if one was asked for.
    std::vector<TrackingAccuracyMeter::InstrumentReport> run(double seconds);
    /// The chain in words, e.g. "Simulated Tracker (60 Hz) -> Kalman smoothing".
    std::string description() const;
    /// Whether the true motion is known (simulated source), so the errors mean something.
    bool knowsTruth() const { return m_simulated != nullptr; }
    /// The port the output is served on, once the server listens; 0 without one.
    int servedPort() const { return m_server ? m_server->port() : 0; }
    /// What the source and outputs did, one sentence each (connection, messages, damaged input, clients).
    std::vector<std::string> notes() const { return m_notes; }

private:
    std::unique_ptr<TrackingStream> createSource();
    std::unique_ptr<TrackingStream> createStream(PluginLoader& plugins, std::string_view algorithmId,
                                                 TrackingStream& input, const Properties& configuration);
    std::optional<Eigen::Matrix4d> truth(const std::string& id,
                                         std::chrono::duration<double> deviceTime) const;
    void runSource(double seconds);
    void noteWhatHappened();

    Options m_options;
    std::unique_ptr<TrackingStream> m_source;
    SimulatedTracker* m_simulated = nullptr;
    std::unique_ptr<TrackingAccuracyMeter> m_meter;
    std::unique_ptr<TrackingStream> m_combined;
    std::unique_ptr<TrackingStream> m_smoothed;
    TrackingStream* m_output = nullptr;
    std::unique_ptr<IgtlTrackingServer> m_server;
    std::unique_ptr<TrackingFrameRecorder> m_recorder;
    std::vector<std::string> m_notes;
    std::atomic<std::size_t> m_playedFrames{0};
};

}  // namespace Tesselon
