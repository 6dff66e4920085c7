#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

namespace Tesselon {

/// A scripted, smooth motion of one simulated instrument: its true markerToTracker at any simulated time.
/// Every motion is periodic or bounded, so a long simulation never drifts out of the working volume.
class SimulatedMotion
{
public:
    /// What a motion does: the index of its alternative in `Parameters`, in the order users are offered.
    enum class Kind
    {
        Still,
        Pivot,
        Spin,
        Wander,
        Path,
        DivotTour
    };

    /// Not moving at all (a reference marker).
    struct Still
    {
        Eigen::Isometry3d markerToTracker = Eigen::Isometry3d::Identity();
    };

    /// A pointer whose tip rests in a divot: the shaft sweeps a cone about the tracker's +z axis while the
    /// tip stays at `pivotPoint`. The cone's half-angle breathes between `halfAngleDegrees` +-
    /// `spreadDegrees`.
    struct Pivot
    {
        Eigen::Vector3d pivotPoint = Eigen::Vector3d::Zero();  ///< tracker frame
        Eigen::Vector3d tipToMarker = Eigen::Vector3d::Zero();
        double halfAngleDegrees = 30.0;
        double spreadDegrees = 5.0;
        double sweepPeriodSeconds = 8.0;
    };

    /// A needle turned back and forth about its own shaft: the tip stays at `tipPoint` and the shaft
    /// direction in the tracker frame stays `axisInTracker`.
    struct Spin
    {
        Eigen::Vector3d tipPoint = Eigen::Vector3d::Zero();  ///< tracker frame
        Eigen::Vector3d tipToMarker = Eigen::Vector3d::Zero();
        Eigen::Vector3d axisInMarker = -Eigen::Vector3d::UnitZ();   ///< unit, towards the tip
        Eigen::Vector3d axisInTracker = -Eigen::Vector3d::UnitZ();  ///< unit
        double amplitudeDegrees = 150.0;
        double periodSeconds = 6.0;
    };

    /// The tip glides from `start` to `end` and back along a straight segment (eased at both ends), with a
    /// fixed orientation.
    struct Path
    {
        Eigen::Vector3d start = Eigen::Vector3d::Zero();  ///< tracker frame
        Eigen::Vector3d end = Eigen::Vector3d::Zero();    ///< tracker frame
        Eigen::Vector3d tipToMarker = Eigen::Vector3d::Zero();
        Eigen::Quaterniond markerToTrackerRotation = Eigen::Quaterniond::Identity();
        double periodSeconds = 10.0;
    };

    /// A hand holding the tool still-ish: a sum of slow sinusoids about `centre`, phases drawn from `seed`.
    /// Bounded by the sum of the amplitudes, so it never wanders away.
    struct Wander
    {
        Eigen::Isometry3d centre = Eigen::Isometry3d::Identity();  ///< markerToTracker around which it moves
        std::uint64_t seed = 0;
        double positionAmplitudeMm = 60.0;       ///< the largest offset along any tracker axis
        double rotationAmplitudeDegrees = 15.0;  ///< the largest rotation-vector component
    };

    /// A pointer put into one divot after another: the tip rests in each for `restSeconds` with a fixed
    /// orientation, then is lifted `liftMm` along the shaft on its way to the next in `moveSeconds`; after
    /// the last divot the tour starts over. Without divots the tip rests at the tracker's origin.
    struct DivotTour
    {
        std::vector<Eigen::Vector3d> divots;  ///< tracker frame
        Eigen::Vector3d tipToMarker = Eigen::Vector3d::Zero();
        Eigen::Quaterniond markerToTrackerRotation = Eigen::Quaterniond::Identity();
        double restSeconds = 3.0;
        double moveSeconds = 1.5;
        double liftMm = 15.0;
    };

    using Parameters = std::variant<Still, Pivot, Spin, Wander, Path, DivotTour>;
    static_assert(std::variant_size_v<Parameters> == static_cast<std::size_t>(Kind::DivotTour) + 1);

    SimulatedMotion() = default;
    explicit SimulatedMotion(Parameters parameters);

    const Parameters& parameters() const { return m_parameters; }
    Kind kind() const;
    Eigen::Isometry3d markerToTracker(double timeSeconds) const;

    /// The same motion begun at `seconds` of simulated time instead of 0, so that it starts from its
    /// beginning (a tour from its first divot) when a user picks it.
    SimulatedMotion startingAt(double seconds) const;
    double startSeconds() const { return m_startSeconds; }
    /// The pose the motion moves about: a still pose, a wander's centre, otherwise the pose at its start.
    Eigen::Isometry3d restingPose() const;

    /// Sinusoid phases of a wander motion: 3 position and 3 rotation axes, 3 terms each.
    using WanderPhases = std::array<double, 18>;

private:
    Parameters m_parameters;
    WanderPhases m_wanderPhases{};
    double m_startSeconds = 0.0;
};

}  // namespace Tesselon
