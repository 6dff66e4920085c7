#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Parameter.h"
#include "host/stream/StreamWorker.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/sources/SimulatedInstrument.h"

#include <Eigen/Core>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// The built-in tracking source: scripted instruments (see `SimulatedInstrument::knownIds`) measured with
/// seeded noise, optional dropouts and raw fiducials. Every sample also carries a `SimulatedGroundTruthData`
/// component with the noise-free poses.
///
/// Two ways to get samples: `start` runs a worker thread that emits at "rate" Hz on absolute deadlines;
/// `generateSample` / `emitNext` produce the same samples on the caller's thread, one period at a time, for
/// tests and tools that need determinism. Do not mix the two while running: both advance the same clock.
/// Paused, the worker keeps simulating but emits nothing. Without any instrument it refuses to open or
/// start.
///
/// Parameters: "rate" (Hz, 1-5000), "seed", "positionNoise" (mm, 3D RMS), "orientationNoise" (degrees RMS),
/// "instruments" (comma-separated IDs), "dropoutPeriod" and "dropoutDuration" (seconds, 0 = none), and per
/// known instrument ID its motion, "<ID>Motion" (a `SimulatedMotion::Kind`, by default the one scripted for
/// it). A motion picked while running starts from its beginning at the next sample; one of an instrument
/// that is not listed waits until it is. Numbered pointers keep their scripted motion.
/// Invalid values are refused by the parameters themselves: logged, and the previous value kept.
class SimulatedTracker : public TrackingStream
{
public:
    explicit SimulatedTracker(std::string name = "Simulated Tracker");

    /// The name of the parameter that chooses how a known instrument moves.
    static std::string motionParameterName(std::string_view instrumentId);

    /// The instruments of the latest sample; empty before the first one.
    std::vector<TrackingInstrument> instruments() const override;

    /// Produces the next sample, one period after the previous one, without emitting it.
    std::shared_ptr<const TrackingStreamData> generateSample();
    /// Produces the next sample and emits it on the calling thread.
    void emitNext();

    /// Hides the instrument for this many simulated seconds from the latest sample on. Any thread.
    void dropOut(const std::string& instrumentId, double durationSeconds);

    /// Gives an instrument another scripted motion from the latest sample on, as a user picks the tool
    /// up for the next step of a procedure (for example pivoting it, then turning it). Any thread. Leaves
    /// the motion parameters alone: choosing a motion there, or rebuilding the instruments, replaces it.
    bool setMotion(const std::string& instrumentId, const SimulatedMotion& motion);

    /// Gives an instrument the straight plan that following a path goes along (tracker frame), kept when
    /// the instruments are rebuilt; an instrument following a path starts along the new plan at the next
    /// sample. Refuses, with a logged warning, an unknown instrument or a plan whose ends are not finite or
    /// coincide. Any thread.
    bool setPlannedPath(const std::string& instrumentId, const SimulatedInstrument::PlannedPath& plan);

    /// The simulated instruments (ground truth included), in the order of the samples.
    std::vector<SimulatedInstrument> simulatedInstruments() const;
    std::optional<SimulatedInstrument> simulatedInstrument(std::string_view instrumentId) const;
    /// Simulated time of the latest sample in seconds (0 before the first one).
    double latestSampleTimeSeconds() const;

protected:
    bool openImpl() override;
    bool startImpl() override;
    bool stopImpl() override;
    bool closeImpl() override;

private:
    /// A copy of the parameters under the simulation's lock, which is all the simulation reads.
    struct Settings
    {
        double rate;
        int seed;
        double positionNoise;
        double orientationNoise;
        std::vector<std::string> instrumentIds;
        double dropoutPeriod;
        double dropoutDuration;
        /// Per known instrument ID, in the order of `SimulatedInstrument::knownIds`.
        std::vector<SimulatedMotion::Kind> motions;
    };

    struct InstrumentState
    {
        SimulatedInstrument instrument;
        double hiddenUntil;
        Eigen::Matrix4d lastPose;
    };

    Settings settingsFromParameters() const;
    /// Copies the parameters into the settings; a new seed or instrument list rebuilds the instruments.
    void applyParameters();

    // The *Locked functions expect m_mutex held.
    void rebuildInstrumentsLocked();
    /// Starts the newly chosen motions at the next sample.
    void applyChangedMotionsLocked(const std::vector<SimulatedMotion::Kind>& previous);
    std::optional<SimulatedMotion::Kind> chosenMotionLocked(const std::string& instrumentId) const;
    std::vector<InstrumentState>::iterator findInstrumentLocked(std::string_view instrumentId);
    void resetSimulationLocked();
    std::shared_ptr<const TrackingStreamData> generateLocked();
    bool isHiddenLocked(const InstrumentState& state, std::size_t index, double time) const;
    TrackingInstrument measureLocked(InstrumentState& state, bool hidden, const Eigen::Matrix4d& truth,
                                     DeviceTime timestamp);

    bool checkSomethingToSimulate();
    StreamWorker::Clock::duration emitTick();

    Parameter<double> m_rate{"rate", 60.0, this};
    Parameter<int> m_seed{"seed", 1, this};
    Parameter<double> m_positionNoise{"positionNoise", 0.25, this};
    Parameter<double> m_orientationNoise{"orientationNoise", 0.1, this};
    Parameter<std::string> m_instrumentList{"instruments", {}, this};
    Parameter<double> m_dropoutPeriod{"dropoutPeriod", 0.0, this};
    Parameter<double> m_dropoutDuration{"dropoutDuration", 0.0, this};
    std::vector<std::unique_ptr<Parameter<SimulatedMotion::Kind>>> m_motions;
    // Declared after the parameters so its connections end before they die.
    SignalReceiver m_parameterReceiver;

    mutable std::mutex m_mutex;
    Settings m_settings;
    std::vector<InstrumentState> m_instruments;
    std::map<std::string, SimulatedInstrument::PlannedPath> m_plannedPaths;
    std::mt19937_64 m_random;
    double m_nextTimeMs = 0.0;
    double m_latestTime = 0.0;
    std::shared_ptr<const TrackingStreamData> m_latest;

    // Last, so it stops before the members its thread uses go.
    StreamWorker m_worker;
};

}  // namespace Tesselon
