#pragma once

#include "host/stream/TrackerID.h"
#include "host/stream/sources/SimulatedMotion.h"

#include <Eigen/Core>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// One simulated tool: its identity, its true geometry (tip, needle axis, marker spheres) and its motion,
/// at first the one scripted for it. The geometry is the ground truth that calibrations and demos measure
/// their errors against. An immutable value: copies may be read on any thread.
class SimulatedInstrument
{
public:
    /// The IDs `create` knows, in their default order.
    static const std::vector<std::string>& knownIds();
    /// The canonical spelling of an instrument ID given in any letter case: a known ID, or "Pointer" followed
    /// by a number from 2 to 999 for further hand-held pointers (for set-ups with many tools).
    static std::optional<std::string> canonicalId(std::string_view text);
    /// The instrument with this canonical ID, its random-looking motion drawn from `seed`.
    static std::optional<SimulatedInstrument> create(std::string_view id, std::uint64_t seed);

    SimulatedInstrument(TrackerID id, Eigen::Vector3d tipToMarker, Eigen::Vector3d needleAxis,
                        Eigen::Vector3d pivotPoint, std::vector<Eigen::Vector3d> fiducials,
                        SimulatedMotion motion);

    const TrackerID& id() const { return m_id; }
    /// The tip in the marker frame (the translation of tipToMarker), in mm.
    const Eigen::Vector3d& tipOffset() const { return m_tipToMarker; }
    /// Unit shaft direction in the marker frame, pointing from the hub towards the tip.
    const Eigen::Vector3d& needleAxis() const { return m_needleAxis; }
    /// The tracker-frame point the tip stays at while pivoting or spinning; for the other motions, where the
    /// tip is at time 0.
    const Eigen::Vector3d& pivotPoint() const { return m_pivotPoint; }
    /// Marker sphere centres in the marker frame, in mm.
    const std::vector<Eigen::Vector3d>& fiducials() const { return m_fiducials; }
    const SimulatedMotion& motion() const { return m_motion; }

    /// The same tool moving another way.
    SimulatedInstrument withMotion(SimulatedMotion motion) const;
    /// The kind of motion scripted for the tool.
    SimulatedMotion::Kind scriptedKind() const { return m_scripted.kind(); }
    /// The tool moving this way: its scripted motion if of this kind, otherwise one about its resting pose
    /// with the tip at `pivotPoint` (turning about its shaft, sliding along `plannedPath` and back, hand-held
    /// about the resting pose, a tour of the `SimulatedPhantom`'s divots).
    SimulatedMotion motionOfKind(SimulatedMotion::Kind kind) const;

    /// A straight plan in the tracker frame, for the motion that follows a path.
    struct PlannedPath
    {
        Eigen::Vector3d entry;
        Eigen::Vector3d target;
    };
    /// The plan given with `withPlannedPath`, else from `pivotPoint` 80 mm along the resting shaft. The
    /// motion that follows it holds the shaft along the plan, enters 2 mm off it and converges on the
    /// target, as a needle steered in by hand does.
    PlannedPath plannedPath() const;
    /// The same tool with another plan to follow; its current motion is kept.
    SimulatedInstrument withPlannedPath(const PlannedPath& plan) const;

    Eigen::Matrix4d trueMarkerToTracker(double timeSeconds) const;
    Eigen::Vector3d trueTipInTracker(double timeSeconds) const;

private:
    TrackerID m_id;
    Eigen::Vector3d m_tipToMarker;
    Eigen::Vector3d m_needleAxis;
    Eigen::Vector3d m_pivotPoint;
    std::vector<Eigen::Vector3d> m_fiducials;
    SimulatedMotion m_scripted;
    SimulatedMotion m_motion;
    std::optional<PlannedPath> m_plan;
    /// Of the hand-held motion made for it; `create` mixes in the tracker's seed.
    std::uint64_t m_wanderSeed;
};

}  // namespace Tesselon
