#include "app/StreamPipeline.h"

#include "host/core/plugin/PluginLoader.h"
#include "host/stream/TrackingFrameRecorder.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/plugin/NavigationIds.h"

#include <fmt/core.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace Tesselon {
namespace {

namespace Smoothed = NavigationIds::SmoothedStream;
namespace Combined = NavigationIds::CombinedStream;

int smoothingMode(const std::string& name)
{
    if (name == "none")
        return Smoothed::none;
    if (name == "average")
        return Smoothed::weightedAverage;
    if (name == "kalman")
        return Smoothed::kalmanFilter;
    throw std::invalid_argument("The smoothing must be none, average or kalman, not \"" + name + "\".");
}

std::string smoothingDescription(const std::string& name)
{
    return name == "kalman"    ? "Kalman smoothing"
           : name == "average" ? "moving-average smoothing"
                               : "no smoothing";
}

Properties combinationConfiguration(const StreamPipeline::Combination& combination,
                                    const std::string& streamName)
{
    Properties configuration;
    Properties* entry =
        configuration.addSubProperties(Combined::instructions)->addSubProperties(Combined::instruction);
    entry->setParam(Combined::outputInstrument, combination.target + " in " + combination.reference);
    entry->setParam(Combined::preStreamName, streamName);
    entry->setParam(Combined::preInstrument, TrackerID(combination.reference).toIDModelNameString());
    entry->setParam(Combined::postStreamName, streamName);
    entry->setParam(Combined::postInstrument, TrackerID(combination.target).toIDModelNameString());
    entry->setParam(Combined::mode, combination.relative ? Combined::relative : Combined::composition);
    return configuration;
}

}  // namespace

StreamPipeline::Combination StreamPipeline::parseCombination(const std::string& text)
{
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? std::string::npos : text.find(':', first + 1);
    Combination combination;
    combination.reference = text.substr(0, first);
    combination.target = first == std::string::npos ? "" : text.substr(first + 1, second - first - 1);
    const std::string mode = second == std::string::npos ? "relative" : text.substr(second + 1);
    if (combination.reference.empty() || combination.target.empty() ||
        (mode != "relative" && mode != "composition"))
        throw std::invalid_argument(
            "A combination is written PRE:POST or PRE:POST:relative|composition, not \"" + text + "\".");
    combination.relative = mode == "relative";
    return combination;
}

std::pair<std::string, std::string> StreamPipeline::parseDeviceName(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw std::invalid_argument(
            "A device name is written ID=NAME, e.g. Needle=NeedleTipToReference, not \"" + text + "\".");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

StreamPipeline::StreamPipeline(PluginLoader& plugins, const Options& options) : m_options(options)
{
    m_source = createSource();
    // The meter connects first, so it notes each sample's emission before any derived stream sees it.
    m_meter = std::make_unique<TrackingAccuracyMeter>(
        *m_source, [this](const std::string& id, std::chrono::duration<double> deviceTime) {
            return truth(id, deviceTime);
        });

    TrackingStream* last = m_source.get();
    if (options.combination) {
        if (m_simulated)
            for (const std::string& id : {options.combination->reference, options.combination->target})
                if (!m_simulated->simulatedInstrument(id))
                    throw std::runtime_error("The simulated tracker has no instrument \"" + id + "\".");
        m_combined = createStream(plugins, NavigationIds::combinedStream, *m_source,
                                  combinationConfiguration(*options.combination, m_source->name()));
        last = m_combined.get();
    }
    if (options.smoothing) {
        Properties smoothing;
        smoothing.setParam(Smoothed::mode, smoothingMode(*options.smoothing));
        m_smoothed = createStream(plugins, NavigationIds::smoothedStream, *last, smoothing);
        m_meter->watch(*last, *m_smoothed);
        m_output = m_smoothed.get();
    } else {
        m_meter->watch(*last, *last);
        m_output = last;
    }
    if (options.servePort) {
        m_server = std::make_unique<IgtlTrackingServer>(
            *m_output, IgtlTrackingServer::Options{.port = *options.servePort,
                                                   .format = options.serveFormat,
                                                   .deviceNames = options.serveNames});
        if (!m_server->start())
            throw std::runtime_error(fmt::format("Cannot serve OpenIGTLink on port {}.", *options.servePort));
    }
    if (!options.recordFile.empty())
        m_recorder = std::make_unique<TrackingFrameRecorder>(m_output);
}

std::unique_ptr<TrackingStream> StreamPipeline::createSource()
{
    if (m_options.igtl) {
        auto stream = std::make_unique<IgtlTrackingStream>();
        const Properties configuration = m_options.igtl->streamConfiguration();
        stream->configure(&configuration);
        return stream;
    }
    if (!m_options.playFile.empty()) {
        auto stream = PlaybackTrackingStream::fromFile(m_options.playFile);
        Properties configuration;
        configuration.setParam("speed", m_options.speed);
        configuration.setParam("loop", m_options.loop);
        stream->configure(&configuration);
        return stream;
    }
    auto tracker = std::make_unique<SimulatedTracker>();
    Properties configuration;
    configuration.setParam("rate", m_options.rate);
    configuration.setParam("seed", m_options.seed);
    if (!m_options.instruments.empty())
        configuration.setParam("instruments", m_options.instruments);
    tracker->configure(&configuration);
    m_simulated = tracker.get();
    return tracker;
}

StreamPipeline::~StreamPipeline()
{
    m_source->stop();
    m_server.reset();
    m_recorder.reset();
    m_meter.reset();
    m_smoothed.reset();
    m_combined.reset();
}

std::unique_ptr<TrackingStream> StreamPipeline::createStream(PluginLoader& plugins,
                                                             std::string_view algorithmId,
                                                             TrackingStream& input,
                                                             const Properties& configuration)
{
    for (AlgorithmFactory* factory : plugins.algorithmFactories()) {
        auto algorithm = factory->create(algorithmId, {&input});
        if (!algorithm)
            continue;
        algorithm->configure(&configuration);
        algorithm->compute();
        auto output = algorithm->takeOutput();
        if (algorithm->status() != Algorithm::Success || output.empty())
            throw std::runtime_error(
                fmt::format("The algorithm {} could not create its stream.", algorithmId));
        return std::unique_ptr<TrackingStream>(dynamic_cast<TrackingStream*>(output.front().release()));
    }
    throw std::runtime_error(
        fmt::format("No loaded plug-in offers {}: is the navigation plug-in installed?", algorithmId));
}

std::optional<Eigen::Matrix4d> StreamPipeline::truth(const std::string& id,
                                                     std::chrono::duration<double> deviceTime) const
{
    // The simulator's device clock is its simulated time.
    const double seconds = deviceTime.count();
    if (!m_simulated)
        return std::nullopt;
    if (id.starts_with(Combined::outputIdPrefix) && m_options.combination) {
        const auto reference = m_simulated->simulatedInstrument(m_options.combination->reference);
        const auto target = m_simulated->simulatedInstrument(m_options.combination->target);
        const Eigen::Matrix4d referenceToTracker = reference->trueMarkerToTracker(seconds);
        const Eigen::Matrix4d targetToTracker = target->trueMarkerToTracker(seconds);
        if (m_options.combination->relative)
            return Eigen::Matrix4d(referenceToTracker.inverse() * targetToTracker);
        return Eigen::Matrix4d(referenceToTracker * targetToTracker);
    }
    const auto instrument = m_simulated->simulatedInstrument(id);
    if (!instrument)
        return std::nullopt;
    return instrument->trueMarkerToTracker(seconds);
}

std::vector<TrackingAccuracyMeter::InstrumentReport> StreamPipeline::run(double seconds)
{
    if (m_recorder)
        m_recorder->start();
    runSource(seconds);
    if (m_recorder) {
        m_recorder->stop();
        m_recorder->save(m_options.recordFile);
        m_notes.push_back(fmt::format("Recorded {} samples to {}.", m_recorder->recording().frames.size(),
                                      m_options.recordFile));
    }
    noteWhatHappened();
    return m_meter->report();
}

void StreamPipeline::runSource(double seconds)
{
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    SignalReceiver receiver;
    if (auto* playback = dynamic_cast<PlaybackTrackingStream*>(m_source.get())) {
        playback->newData.connect(&receiver,
                                  [this](const std::shared_ptr<const StreamData>&) { ++m_playedFrames; });
        playback->finished.connect(&receiver, [&] {
            std::lock_guard lock(mutex);
            finished = true;
            ended.notify_all();
        });
    }
    if (!m_source->isRunning() && !(m_source->open() && m_source->start()))
        throw std::runtime_error("The source " + m_source->name() + " did not start.");
    {
        std::unique_lock lock(mutex);
        ended.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return finished; });
    }
    m_source->stop();
    receiver.disconnectAll();
}

void StreamPipeline::noteWhatHappened()
{
    if (const auto* igtl = dynamic_cast<const IgtlTrackingStream*>(m_source.get())) {
        std::size_t damaged = 0;
        for (const auto& [problem, count] : igtl->problemCounts())
            damaged += problem == IgtlMessageReader::Problem::UnknownType ? 0 : count;
        m_notes.push_back(fmt::format("OpenIGTLink source {}: {} messages with poses, {} damaged.",
                                      m_options.igtl->toString(), igtl->messagesReceived(), damaged));
    }
    if (const auto* playback = dynamic_cast<const PlaybackTrackingStream*>(m_source.get()))
        m_notes.push_back(fmt::format("Played {} of the {} frames of {}.", m_playedFrames,
                                      playback->frameCount(), m_options.playFile));
    if (m_server)
        m_notes.push_back(
            fmt::format("OpenIGTLink server on port {}: {} messages sent, {} clients connected at the "
                        "end.",
                        m_server->port(), m_server->messagesSent(), m_server->clientCount()));
}

std::string StreamPipeline::description() const
{
    std::string text =
        m_simulated ? fmt::format("{} ({:g} Hz, seed {})", m_source->name(), m_options.rate, m_options.seed)
        : m_options.igtl ? "OpenIGTLink server " + m_options.igtl->toString()
                         : fmt::format("{} (played at {})", m_source->name(),
                                       m_options.speed > 0.0 ? fmt::format("{:g}x", m_options.speed)
                                                             : std::string("full speed"));
    if (m_options.combination)
        text += fmt::format(" -> {} {} {}", m_options.combination->target,
                            m_options.combination->relative ? "relative to" : "composed with",
                            m_options.combination->reference);
    if (m_options.smoothing)
        text += " -> " + smoothingDescription(*m_options.smoothing);
    if (m_server)
        text += fmt::format(" -> served on OpenIGTLink port {}", m_server->port());
    if (m_recorder)
        text += " -> recorded to " + m_options.recordFile;
    return text;
}

}  // namespace Tesselon
