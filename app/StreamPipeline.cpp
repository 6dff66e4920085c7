#include "app/StreamPipeline.h"

#include "host/core/PluginLoader.h"

#include <fmt/core.h>

#include <stdexcept>
#include <thread>

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

StreamPipeline::StreamPipeline(PluginLoader& plugins, const Options& options) : m_options(options)
{
    Properties trackerConfiguration;
    trackerConfiguration.setParam("rate", options.rate);
    trackerConfiguration.setParam("seed", options.seed);
    if (!options.instruments.empty())
        trackerConfiguration.setParam("instruments", options.instruments);
    m_tracker.configure(&trackerConfiguration);
    // The meter connects first, so it notes each sample's emission before any derived stream sees it.
    m_meter = std::make_unique<TrackingAccuracyMeter>(
        m_tracker, [this](const std::string& id, double timeMs) { return truth(id, timeMs); });

    TrackingStream* last = &m_tracker;
    if (options.combination) {
        for (const std::string& id : {options.combination->reference, options.combination->target})
            if (!m_tracker.simulatedInstrument(id))
                throw std::runtime_error("The simulated tracker has no instrument \"" + id + "\".");
        m_combined = createStream(plugins, combinedAlgorithm, m_tracker,
                                  combinationConfiguration(*options.combination, m_tracker.name()));
        last = m_combined.get();
    }
    if (options.smoothing) {
        Properties smoothing;
        smoothing.setParam("smoothingMode", smoothingMode(*options.smoothing));
        m_smoothed = createStream(plugins, smoothedAlgorithm, *last, smoothing);
        m_meter->watch(*last, *m_smoothed);
    } else {
        m_meter->watch(*last, *last);
    }
}

StreamPipeline::~StreamPipeline()
{
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

std::optional<Eigen::Matrix4d> StreamPipeline::truth(const std::string& id, double timeMs) const
{
    // Device timestamps are the simulated time in milliseconds plus one.
    const double seconds = (timeMs - 1.0) / 1000.0;
    if (id.starts_with(combinedIdPrefix) && m_options.combination) {
        const auto reference = m_tracker.simulatedInstrument(m_options.combination->reference);
        const auto target = m_tracker.simulatedInstrument(m_options.combination->target);
        const Eigen::Matrix4d referenceToTracker = reference->trueMarkerToTracker(seconds);
        const Eigen::Matrix4d targetToTracker = target->trueMarkerToTracker(seconds);
        if (m_options.combination->relative)
            return Eigen::Matrix4d(referenceToTracker.inverse() * targetToTracker);
        return Eigen::Matrix4d(referenceToTracker * targetToTracker);
    }
    const auto instrument = m_tracker.simulatedInstrument(id);
    if (!instrument)
        return std::nullopt;
    return instrument->trueMarkerToTracker(seconds);
}

std::vector<TrackingAccuracyMeter::InstrumentReport> StreamPipeline::run(double seconds)
{
    if (!m_tracker.isRunning() && !m_tracker.start())
        throw std::runtime_error("The simulated tracker did not start.");
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    m_tracker.stop();
    return m_meter->report();
}

std::string StreamPipeline::description() const
{
    std::string text = fmt::format("{} ({:g} Hz, seed {})", m_tracker.name(), m_options.rate, m_options.seed);
    if (m_options.combination)
        text += fmt::format(" -> {} {} {}", m_options.combination->target,
                            m_options.combination->relative ? "relative to" : "composed with",
                            m_options.combination->reference);
    if (m_options.smoothing)
        text += " -> " + smoothingDescription(*m_options.smoothing);
    return text;
}

}  // namespace Tesselon
