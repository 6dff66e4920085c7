#include "app/StreamPipeline.h"

#include "host/core/PluginLoader.h"
#include "host/stream/TrackingFrameRecorder.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedTracker.h"

#include <fmt/core.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace Tesselon {
namespace {

constexpr const char* combinedAlgorithm = "Navigation.CreateStreamCombinedTrackingStream";
constexpr const char* smoothedAlgorithm = "Navigation.CreateStreamSmoothedTrackingStream";
constexpr const char* combinedIdPrefix = "relative-";

int smoothingMode(const std::string& name)
{
    if (name == "none")
        return 0;
    if (name == "average")
        return 1;
    if (name == "kalman")
        return 2;
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
        configuration.addSubProperties("CombinationInstructions")->addSubProperties("Combination");
    entry->setParam("outputInstrument", combination.target + " in " + combination.reference);
    entry->setParam("preStreamName", streamName);
    entry->setParam("preInstrument", TrackerID(combination.reference).toIDModelNameString());
    entry->setParam("postStreamName", streamName);
    entry->setParam("postInstrument", TrackerID(combination.target).toIDModelNameString());
    entry->setParam("combinationMode", combination.relative ? 0 : 1);
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

StreamPipeline::Address StreamPipeline::parseAddress(const std::string& text)
{
    Address address;
    const auto colon = text.rfind(':');
    address.host = text.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string port = text.substr(colon + 1);
        const bool digits =
            !port.empty() && port.size() <= 5 &&
            std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); });
        address.port = digits ? std::stoi(port) : 0;
    }
    if (address.host.empty() || address.port < 1 || address.port > 65535)
        throw std::invalid_argument(
            "An OpenIGTLink server is written HOST or HOST:PORT with a port from 1 to "
            "65535, not \"" +
            text + "\".");
    return address;
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
        m_combined = createStream(plugins, combinedAlgorithm, *m_source,
                                  combinationConfiguration(*options.combination, m_source->name()));
        last = m_combined.get();
    }
    if (options.smoothing) {
        Properties smoothing;
        smoothing.setParam("smoothingMode", smoothingMode(*options.smoothing));
        m_smoothed = createStream(plugins, smoothedAlgorithm, *last, smoothing);
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
        Properties configuration;
        configuration.setParam("host", m_options.igtl->host);
        configuration.setParam("port", m_options.igtl->port);
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
                                                             const std::string& algorithmId,
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
            throw std::runtime_error("The algorithm " + algorithmId + " could not create its stream.");
        return std::unique_ptr<TrackingStream>(dynamic_cast<TrackingStream*>(output.front().release()));
    }
    throw std::runtime_error("No loaded plug-in offers " + algorithmId +
                             ": is the navigation plug-in installed?");
}

std::optional<Eigen::Matrix4d> StreamPipeline::truth(const std::string& id,
                                                     std::chrono::duration<double> deviceTime) const
{
    // The simulator's device clock is its simulated time.
    const double seconds = deviceTime.count();
    if (!m_simulated)
        return std::nullopt;
    if (id.starts_with(combinedIdPrefix) && m_options.combination) {
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
        m_notes.push_back(fmt::format("OpenIGTLink source {}:{}: {} messages with poses, {} damaged.",
                                      m_options.igtl->host, m_options.igtl->port, igtl->messagesReceived(),
                                      damaged));
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
        : m_options.igtl ? fmt::format("OpenIGTLink server {}:{}", m_options.igtl->host, m_options.igtl->port)
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
