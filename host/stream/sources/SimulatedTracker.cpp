#include "host/stream/sources/SimulatedTracker.h"

#include "host/core/base/Log.h"
#include "host/stream/TrackingInstrumentFiducialsData.h"
#include "host/stream/sources/SimulatedGroundTruthData.h"

#include <fmt/format.h>
#include <Eigen/Geometry>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>

namespace Tesselon {
namespace {

constexpr std::string_view category = "SimulatedTracker";
constexpr double minimumRate = 1.0;
constexpr double maximumRate = 5000.0;
constexpr double minimumQuality = 0.92;
// In the order of SimulatedMotion::Kind.
constexpr const char* motionChoices =
    "At Rest,Pivoting About Tip,Turning About Shaft,Hand-Held,Following Path,Visiting Divots";

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ",") + part;
    return text;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

/// The known IDs a comma-separated list names, without repeats; or the first unknown entry as error.
struct ParsedIds
{
    std::vector<std::string> ids;
    std::string unknown;
};

ParsedIds parseInstrumentIds(std::string_view text)
{
    ParsedIds parsed;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(',', begin), text.size());
        const std::string entry = trimmed(text.substr(begin, end - begin));
        begin = end + 1;
        if (entry.empty())
            continue;
        const auto id = SimulatedInstrument::canonicalId(entry);
        if (!id) {
            parsed.unknown = entry;
            return parsed;
        }
        if (std::find(parsed.ids.begin(), parsed.ids.end(), *id) == parsed.ids.end())
            parsed.ids.push_back(*id);
    }
    return parsed;
}

bool isNonNegative(double value)
{
    return std::isfinite(value) && value >= 0.0;
}

/// Three independent standard normal draws, in a fixed order so runs reproduce.
Eigen::Vector3d gaussianVector(std::mt19937_64& random)
{
    std::normal_distribution<double> normal;
    Eigen::Vector3d vector;
    for (int axis = 0; axis < 3; ++axis)
        vector[axis] = normal(random);
    return vector;
}

/// The pose as measured: each noise is drawn per axis so that its 3D RMS matches the setting.
Eigen::Matrix4d noisyPose(const Eigen::Matrix4d& truth, double positionRms, double orientationRmsDegrees,
                          std::mt19937_64& random)
{
    const double perAxis = 1.0 / std::sqrt(3.0);
    const Eigen::Vector3d positionError = gaussianVector(random) * positionRms * perAxis;
    const Eigen::Vector3d rotationVector =
        gaussianVector(random) * orientationRmsDegrees * std::numbers::pi / 180.0 * perAxis;
    Eigen::Matrix4d measured = truth;
    const double angle = rotationVector.norm();
    if (angle > 0.0)
        measured.topLeftCorner<3, 3>() =
            Eigen::AngleAxisd(angle, rotationVector / angle).toRotationMatrix() * truth.topLeftCorner<3, 3>();
    measured.topRightCorner<3, 1>() += positionError;
    return measured;
}

std::chrono::steady_clock::duration periodOf(double rate)
{
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / rate));
}

}  // namespace

SimulatedTracker::SimulatedTracker(std::string name) : TrackingStream(std::move(name))
{
    const std::string allIds = joined(SimulatedInstrument::knownIds());
    m_instrumentList.setDefaultValue(allIds);
    m_instrumentList.setValue(allIds);
    m_rate.setAttribute("min", fmt::format("{}", minimumRate));
    m_rate.setAttribute("max", fmt::format("{}", maximumRate));
    m_positionNoise.setAttribute("min", "0");
    m_orientationNoise.setAttribute("min", "0");
    m_instrumentList.setAttribute("tooltip", "Comma-separated instrument IDs: " + allIds);
    m_instrumentList.setCheck([](const std::string& text) -> std::optional<std::string> {
        const ParsedIds parsed = parseInstrumentIds(text);
        if (parsed.unknown.empty())
            return std::nullopt;
        return fmt::format("there is no simulated instrument \"{}\" (known: {}, and Pointer2 to Pointer999)",
                           parsed.unknown, joined(SimulatedInstrument::knownIds()));
    });
    m_dropoutPeriod.setAttribute("min", "0");
    m_dropoutDuration.setAttribute("min", "0");
    for (const std::string& id : SimulatedInstrument::knownIds()) {
        const SimulatedMotion::Kind scripted = SimulatedInstrument::create(id, 0)->scriptedKind();
        auto& motion = *m_motions.emplace_back(
            std::make_unique<Parameter<SimulatedMotion::Kind>>(motionParameterName(id), scripted, this));
        motion.setLabel(id + " Motion");
        motion.setAttribute("values", motionChoices);
        motion.setAttribute("tooltip",
                            fmt::format("How the simulated {} moves, from the next sample on", id));
    }
    for (ParameterBase* parameter : parameters())
        parameter->valueChanged.connect(&m_parameterReceiver, [this] { applyParameters(); });
    std::lock_guard lock(m_mutex);
    m_settings = settingsFromParameters();
    rebuildInstrumentsLocked();
    resetSimulationLocked();
}

std::string SimulatedTracker::motionParameterName(std::string_view instrumentId)
{
    return std::string(instrumentId) + "Motion";
}

SimulatedTracker::Settings SimulatedTracker::settingsFromParameters() const
{
    std::vector<SimulatedMotion::Kind> motions;
    for (const auto& motion : m_motions)
        motions.push_back(motion->value());
    return {m_rate,
            m_seed,
            m_positionNoise,
            m_orientationNoise,
            parseInstrumentIds(m_instrumentList.value()).ids,
            m_dropoutPeriod,
            m_dropoutDuration,
            std::move(motions)};
}

void SimulatedTracker::applyParameters()
{
    const Settings wanted = settingsFromParameters();
    std::unique_lock lock(m_mutex);
    const bool reseeded = wanted.seed != m_settings.seed;
    const bool instrumentsChanged = wanted.instrumentIds != m_settings.instrumentIds;
    const std::vector<SimulatedMotion::Kind> previousMotions = m_settings.motions;
    m_settings = wanted;
    if (reseeded)
        m_random.seed(static_cast<std::uint64_t>(m_settings.seed));
    if (reseeded || instrumentsChanged)
        rebuildInstrumentsLocked();
    applyChangedMotionsLocked(previousMotions);
    lock.unlock();
    if (instrumentsChanged) {
        updated.emitSignal();
        updatedThreadSafe.emitSignal();
    }
}

void SimulatedTracker::rebuildInstrumentsLocked()
{
    std::vector<InstrumentState> rebuilt;
    for (const std::string& id : m_settings.instrumentIds) {
        auto instrument = SimulatedInstrument::create(id, static_cast<std::uint64_t>(m_settings.seed));
        if (!instrument)
            continue;
        if (const auto plan = m_plannedPaths.find(id); plan != m_plannedPaths.end())
            instrument = instrument->withPlannedPath(plan->second);
        const auto previous =
            std::find_if(m_instruments.begin(), m_instruments.end(),
                         [&](const InstrumentState& s) { return s.instrument.id().ID() == id; });
        // A motion chosen earlier goes on where it is; one chosen for an instrument not listed then starts
        // with the simulation.
        if (const auto chosen = chosenMotionLocked(id)) {
            const double start =
                previous != m_instruments.end() ? previous->instrument.motion().startSeconds() : 0.0;
            instrument = instrument->withMotion(instrument->motionOfKind(*chosen).startingAt(start));
        }
        InstrumentState state{*instrument, -std::numeric_limits<double>::infinity(),
                              instrument->trueMarkerToTracker(m_latestTime)};
        // An instrument that stays keeps its dropout and the last pose it reported, so reconfiguring
        // never makes it jump; before any sample there is nothing reported to keep.
        if (previous != m_instruments.end()) {
            state.hiddenUntil = previous->hiddenUntil;
            if (m_latest)
                state.lastPose = previous->lastPose;
        }
        rebuilt.push_back(std::move(state));
    }
    m_instruments = std::move(rebuilt);
}

void SimulatedTracker::applyChangedMotionsLocked(const std::vector<SimulatedMotion::Kind>& previous)
{
    const double nextSampleTime = m_nextTimeMs / 1000.0;
    for (std::size_t index = 0; index < m_settings.motions.size(); ++index) {
        if (index < previous.size() && m_settings.motions[index] == previous[index])
            continue;
        const std::string& id = SimulatedInstrument::knownIds()[index];
        for (InstrumentState& state : m_instruments)
            if (state.instrument.id().ID() == id)
                state.instrument = state.instrument.withMotion(
                    state.instrument.motionOfKind(m_settings.motions[index]).startingAt(nextSampleTime));
    }
}

std::optional<SimulatedMotion::Kind> SimulatedTracker::chosenMotionLocked(
    const std::string& instrumentId) const
{
    const auto& ids = SimulatedInstrument::knownIds();
    const auto found = std::find(ids.begin(), ids.end(), instrumentId);
    const auto index = static_cast<std::size_t>(found - ids.begin());
    if (index >= m_settings.motions.size())
        return std::nullopt;
    return m_settings.motions[index];
}

void SimulatedTracker::resetSimulationLocked()
{
    m_random.seed(static_cast<std::uint64_t>(m_settings.seed));
    m_nextTimeMs = 0.0;
    m_latestTime = 0.0;
    m_latest.reset();
    for (InstrumentState& state : m_instruments) {
        // The clock starts over, and so do the motions picked while it ran.
        if (state.instrument.motion().startSeconds() != 0.0)
            state.instrument = state.instrument.withMotion(state.instrument.motion().startingAt(0.0));
        state.hiddenUntil = -std::numeric_limits<double>::infinity();
        state.lastPose = state.instrument.trueMarkerToTracker(0.0);
    }
}

std::vector<TrackingInstrument> SimulatedTracker::instruments() const
{
    std::lock_guard lock(m_mutex);
    return m_latest ? m_latest->instruments() : std::vector<TrackingInstrument>{};
}

std::shared_ptr<const TrackingStreamData> SimulatedTracker::generateSample()
{
    std::lock_guard lock(m_mutex);
    return generateLocked();
}

void SimulatedTracker::emitNext()
{
    newData.emitSignal(generateSample());
}

std::shared_ptr<const TrackingStreamData> SimulatedTracker::generateLocked()
{
    const double time = m_nextTimeMs / 1000.0;
    const DeviceTime timestamp(std::llround(m_nextTimeMs));
    // Accumulating the exact period keeps the clock free of rounding drift.
    m_nextTimeMs += 1000.0 / m_settings.rate;

    std::vector<TrackingInstrument> measured;
    std::vector<TrackingInstrumentFiducialsData::Fiducial> fiducials;
    std::vector<SimulatedGroundTruthData::Pose> truths;
    for (std::size_t index = 0; index < m_instruments.size(); ++index) {
        InstrumentState& state = m_instruments[index];
        const Eigen::Matrix4d truth = state.instrument.trueMarkerToTracker(time);
        const bool hidden = isHiddenLocked(state, index, time);
        measured.push_back(measureLocked(state, hidden, truth, timestamp));
        truths.push_back({state.instrument.id().ID(), truth});
        if (hidden)
            continue;
        const std::uint64_t hash = state.instrument.id().idHash();
        // The spheres sit where the reported pose puts them, so refitting them reproduces the pose.
        for (const Eigen::Vector3d& sphere : state.instrument.fiducials())
            fiducials.push_back({(measured.back().matrix * sphere.homogeneous()).head<3>(), hash});
    }

    auto sample = std::make_shared<TrackingStreamData>(this, std::move(measured));
    sample->setTimestampDevice(timestamp);
    sample->setTimestampArrival(StreamData::nowMilliseconds());
    sample->setComponent(std::make_shared<const TrackingInstrumentFiducialsData>(std::move(fiducials)));
    sample->setComponent(std::make_shared<const SimulatedGroundTruthData>(time, std::move(truths)));
    m_latest = sample;
    m_latestTime = time;
    return m_latest;
}

bool SimulatedTracker::isHiddenLocked(const InstrumentState& state, std::size_t index, double time) const
{
    if (time < state.hiddenUntil)
        return true;
    const double period = m_settings.dropoutPeriod;
    const double duration = m_settings.dropoutDuration;
    if (period <= 0.0 || duration <= 0.0)
        return false;
    // Each instrument drops out at the end of its own period, staggered so they do not vanish together.
    const double stagger = period * static_cast<double>(index) / static_cast<double>(m_instruments.size());
    return std::fmod(time + stagger, period) >= period - duration;
}

TrackingInstrument SimulatedTracker::measureLocked(InstrumentState& state, bool hidden,
                                                   const Eigen::Matrix4d& truth, DeviceTime timestamp)
{
    TrackingInstrument measured;
    measured.id = state.instrument.id();
    measured.timestamp = timestamp;
    if (hidden) {
        measured.visible = false;
        measured.quality = 0.0;
        measured.matrix = state.lastPose;
        return measured;
    }
    measured.matrix = noisyPose(truth, m_settings.positionNoise, m_settings.orientationNoise, m_random);
    measured.quality = std::uniform_real_distribution<double>(minimumQuality, 1.0)(m_random);
    state.lastPose = measured.matrix;
    return measured;
}

bool SimulatedTracker::setMotion(const std::string& instrumentId, const SimulatedMotion& motion)
{
    std::unique_lock lock(m_mutex);
    const auto found = findInstrumentLocked(instrumentId);
    if (found == m_instruments.end()) {
        lock.unlock();
        Log::warning(
            category,
            fmt::format("Ignored a new motion for \"{}\": no such instrument is simulated.", instrumentId));
        return false;
    }
    found->instrument = found->instrument.withMotion(motion);
    return true;
}

bool SimulatedTracker::setPlannedPath(const std::string& instrumentId,
                                      const SimulatedInstrument::PlannedPath& plan)
{
    std::unique_lock lock(m_mutex);
    const auto found = findInstrumentLocked(instrumentId);
    const bool sound = plan.entry.allFinite() && plan.target.allFinite() && plan.entry != plan.target;
    if (found == m_instruments.end() || !sound) {
        lock.unlock();
        Log::warning(category,
                     fmt::format("Ignored a planned path for \"{}\": {}.", instrumentId,
                                 found == m_instruments.end() ? "no such instrument is simulated"
                                                              : "its ends must be finite and apart"));
        return false;
    }
    m_plannedPaths[instrumentId] = plan;
    found->instrument = found->instrument.withPlannedPath(plan);
    if (chosenMotionLocked(instrumentId) == SimulatedMotion::Kind::Path)
        found->instrument = found->instrument.withMotion(
            found->instrument.motionOfKind(SimulatedMotion::Kind::Path).startingAt(m_nextTimeMs / 1000.0));
    return true;
}

std::vector<SimulatedTracker::InstrumentState>::iterator SimulatedTracker::findInstrumentLocked(
    std::string_view instrumentId)
{
    return std::find_if(m_instruments.begin(), m_instruments.end(),
                        [&](const InstrumentState& s) { return s.instrument.id().ID() == instrumentId; });
}

void SimulatedTracker::dropOut(const std::string& instrumentId, double durationSeconds)
{
    std::unique_lock lock(m_mutex);
    const auto found = findInstrumentLocked(instrumentId);
    if (found == m_instruments.end() || !isNonNegative(durationSeconds)) {
        lock.unlock();
        Log::warning(category,
                     fmt::format("Ignored a dropout of \"{}\" for {} s: {}.", instrumentId, durationSeconds,
                                 found == m_instruments.end() ? "no such instrument is simulated"
                                                              : "the duration must be non-negative"));
        return;
    }
    found->hiddenUntil = std::max(found->hiddenUntil, m_latestTime + durationSeconds);
}

std::vector<SimulatedInstrument> SimulatedTracker::simulatedInstruments() const
{
    std::lock_guard lock(m_mutex);
    std::vector<SimulatedInstrument> result;
    for (const InstrumentState& state : m_instruments)
        result.push_back(state.instrument);
    return result;
}

std::optional<SimulatedInstrument> SimulatedTracker::simulatedInstrument(std::string_view instrumentId) const
{
    std::lock_guard lock(m_mutex);
    for (const InstrumentState& state : m_instruments)
        if (state.instrument.id().ID() == instrumentId)
            return state.instrument;
    return std::nullopt;
}

double SimulatedTracker::latestSampleTimeSeconds() const
{
    std::lock_guard lock(m_mutex);
    return m_latestTime;
}

bool SimulatedTracker::checkSomethingToSimulate()
{
    std::unique_lock lock(m_mutex);
    if (!m_instruments.empty())
        return true;
    lock.unlock();
    fail(fmt::format("\"{}\" has no instrument to simulate; list at least one in \"instruments\".", name()));
    return false;
}

bool SimulatedTracker::openImpl()
{
    if (!checkSomethingToSimulate())
        return false;
    // Reopening a running tracker must not turn its clock back.
    if (m_worker.isStarted())
        return true;
    std::lock_guard lock(m_mutex);
    resetSimulationLocked();
    return true;
}

bool SimulatedTracker::startImpl()
{
    if (!checkSomethingToSimulate())
        return false;
    m_worker.startPeriodic([this](StreamWorker::Clock::time_point) { return emitTick(); });
    return true;
}

bool SimulatedTracker::stopImpl()
{
    m_worker.stop();
    return true;
}

bool SimulatedTracker::closeImpl()
{
    m_worker.stop();
    std::lock_guard lock(m_mutex);
    resetSimulationLocked();
    return true;
}

StreamWorker::Clock::duration SimulatedTracker::emitTick()
{
    std::shared_ptr<const TrackingStreamData> sample;
    StreamWorker::Clock::duration period;
    {
        std::lock_guard lock(m_mutex);
        period = periodOf(m_settings.rate);
        sample = generateLocked();
    }
    // Unlocked: receivers may call back into the tracker.
    emitData(sample);
    return period;
}

}  // namespace Tesselon
