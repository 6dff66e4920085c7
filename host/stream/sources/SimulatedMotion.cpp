#include "host/stream/sources/SimulatedMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace Tesselon {
namespace {

constexpr double pi = std::numbers::pi;

double radians(double degrees)
{
    return degrees * pi / 180.0;
}

/// The marker pose that puts the tip (tipToMarker) at `tipPoint` with this orientation.
Eigen::Isometry3d poseWithTipAt(const Eigen::Matrix3d& rotation, const Eigen::Vector3d& tipToMarker,
                                const Eigen::Vector3d& tipPoint)
{
    Eigen::Isometry3d pose = Eigen::Isometry3d::Identity();
    pose.linear() = rotation;
    pose.translation() = tipPoint - rotation * tipToMarker;
    return pose;
}

// Relative frequencies and weights of the wander terms: incommensurate, so the motion never visibly
// repeats, and slow, like a resting hand.
constexpr std::array<double, 3> wanderFrequenciesHz = {0.043, 0.11, 0.29};
constexpr std::array<double, 3> wanderWeights = {0.65, 0.27, 0.08};
constexpr std::array<double, 3> wanderAxisScales = {1.0, 0.83, 0.61};

SimulatedMotion::WanderPhases drawWanderPhases(std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> phase(0.0, 2.0 * pi);
    SimulatedMotion::WanderPhases phases{};
    for (double& value : phases)
        value = phase(random);
    return phases;
}

/// One axis of the wander: a weighted sum of three sinusoids, bounded by `amplitude`.
double wanderTerm(const SimulatedMotion::WanderPhases& phases, int axis, double amplitude, double time)
{
    double sum = 0.0;
    for (int term = 0; term < 3; ++term) {
        const double frequency = wanderFrequenciesHz[term] * (1.0 + 0.17 * axis);
        sum += wanderWeights[term] * std::sin(2.0 * pi * frequency * time + phases[3 * axis + term]);
    }
    return amplitude * sum;
}

Eigen::Isometry3d pose(const SimulatedMotion::Still& still, const SimulatedMotion::WanderPhases&, double)
{
    return still.markerToTracker;
}

Eigen::Isometry3d pose(const SimulatedMotion::Pivot& pivot, const SimulatedMotion::WanderPhases&, double time)
{
    const double azimuth = 2.0 * pi * time / pivot.sweepPeriodSeconds;
    // The half-angle breathes on an unrelated period so the cone is not a single circle.
    const double tilt =
        radians(pivot.halfAngleDegrees + pivot.spreadDegrees * std::sin(2.0 * pi * time / 13.0));
    // Tilting about a horizontal axis that turns with the azimuth sweeps the cone without rolling the marker.
    const Eigen::Vector3d tiltAxis(std::cos(azimuth), std::sin(azimuth), 0.0);
    return poseWithTipAt(Eigen::AngleAxisd(tilt, tiltAxis).toRotationMatrix(), pivot.tipToMarker,
                         pivot.pivotPoint);
}

Eigen::Isometry3d pose(const SimulatedMotion::Spin& spin, const SimulatedMotion::WanderPhases&, double time)
{
    const double angle = radians(spin.amplitudeDegrees) * std::sin(2.0 * pi * time / spin.periodSeconds);
    const Eigen::Quaterniond alignAxis =
        Eigen::Quaterniond::FromTwoVectors(spin.axisInMarker, spin.axisInTracker);
    // Turning about the marker-frame axis first leaves that axis, and so its tracker direction, unchanged.
    const Eigen::Matrix3d rotation =
        (alignAxis * Eigen::AngleAxisd(angle, spin.axisInMarker.normalized())).toRotationMatrix();
    return poseWithTipAt(rotation, spin.tipToMarker, spin.tipPoint);
}

Eigen::Isometry3d pose(const SimulatedMotion::Path& path, const SimulatedMotion::WanderPhases&, double time)
{
    const double progress = 0.5 * (1.0 - std::cos(2.0 * pi * time / path.periodSeconds));
    const Eigen::Vector3d tip = path.start + progress * (path.end - path.start);
    return poseWithTipAt(path.markerToTrackerRotation.toRotationMatrix(), path.tipToMarker, tip);
}

Eigen::Isometry3d pose(const SimulatedMotion::DivotTour& tour, const SimulatedMotion::WanderPhases&,
                       double time)
{
    const Eigen::Matrix3d rotation = tour.markerToTrackerRotation.toRotationMatrix();
    if (tour.divots.empty())
        return poseWithTipAt(rotation, tour.tipToMarker, Eigen::Vector3d::Zero());
    const double stay = tour.restSeconds + tour.moveSeconds;
    if (!(stay > 0.0) || !std::isfinite(time))
        return poseWithTipAt(rotation, tour.tipToMarker, tour.divots.front());
    const std::size_t count = tour.divots.size();
    const double cycle = stay * static_cast<double>(count);
    // Times before the tour's start (a simulation restarted) wrap round like later ones.
    const double phase = time - cycle * std::floor(time / cycle);
    const std::size_t index = std::min(static_cast<std::size_t>(phase / stay), count - 1);
    const Eigen::Vector3d& divot = tour.divots[index];
    const double moving = phase - stay * static_cast<double>(index) - tour.restSeconds;
    if (moving <= 0.0)
        return poseWithTipAt(rotation, tour.tipToMarker, divot);
    const double progress = 0.5 * (1.0 - std::cos(pi * moving / tour.moveSeconds));
    const Eigen::Vector3d towardsMarker = -(rotation * tour.tipToMarker).normalized();
    const Eigen::Vector3d tip = divot + progress * (tour.divots[(index + 1) % count] - divot) +
                                tour.liftMm * std::sin(pi * progress) * towardsMarker;
    return poseWithTipAt(rotation, tour.tipToMarker, tip);
}

Eigen::Isometry3d pose(const SimulatedMotion::Wander& wander, const SimulatedMotion::WanderPhases& phases,
                       double time)
{
    Eigen::Vector3d offset;
    Eigen::Vector3d rotationVector;
    for (int axis = 0; axis < 3; ++axis) {
        const double scale = wanderAxisScales[axis];
        offset[axis] = wanderTerm(phases, axis, scale * wander.positionAmplitudeMm, time);
        rotationVector[axis] =
            wanderTerm(phases, axis + 3, scale * radians(wander.rotationAmplitudeDegrees), time);
    }
    Eigen::Isometry3d result = wander.centre;
    result.translation() += offset;
    const double angle = rotationVector.norm();
    if (angle > 0.0)
        result.linear() = Eigen::AngleAxisd(angle, rotationVector / angle) * wander.centre.linear();
    return result;
}

}  // namespace

SimulatedMotion::SimulatedMotion(Parameters parameters) : m_parameters(std::move(parameters))
{
    if (const auto* wander = std::get_if<Wander>(&m_parameters))
        m_wanderPhases = drawWanderPhases(wander->seed);
}

SimulatedMotion::Kind SimulatedMotion::kind() const
{
    return static_cast<Kind>(m_parameters.index());
}

Eigen::Isometry3d SimulatedMotion::markerToTracker(double timeSeconds) const
{
    const double time = timeSeconds - m_startSeconds;
    return std::visit([&](const auto& motion) { return pose(motion, m_wanderPhases, time); }, m_parameters);
}

SimulatedMotion SimulatedMotion::startingAt(double seconds) const
{
    SimulatedMotion started = *this;
    started.m_startSeconds = seconds;
    return started;
}

Eigen::Isometry3d SimulatedMotion::restingPose() const
{
    if (const auto* still = std::get_if<Still>(&m_parameters))
        return still->markerToTracker;
    if (const auto* wander = std::get_if<Wander>(&m_parameters))
        return wander->centre;
    return markerToTracker(m_startSeconds);
}

}  // namespace Tesselon
