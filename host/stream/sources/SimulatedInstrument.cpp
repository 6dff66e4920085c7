#include "host/stream/sources/SimulatedInstrument.h"

#include "host/stream/sources/SimulatedPhantom.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <Eigen/Geometry>

#include <numbers>

namespace Tesselon {
namespace {

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

Eigen::Quaterniond rotation(double degrees, const Eigen::Vector3d& axis)
{
    return Eigen::Quaterniond(Eigen::AngleAxisd(radians(degrees), axis.normalized()));
}

// Mixing in the ID keeps tools with the same seed from wandering in step.
std::uint64_t wanderSeed(std::string_view id, std::uint64_t seed)
{
    return seed ^ TrackerID(std::string(id)).idHash();
}

Eigen::Isometry3d placement(const Eigen::Vector3d& position, const Eigen::Quaterniond& orientation)
{
    Eigen::Isometry3d pose = Eigen::Isometry3d::Identity();
    pose.linear() = orientation.toRotationMatrix();
    pose.translation() = position;
    return pose;
}

// The tools sit about 1.3 m in front of the tracker, which looks along its -z axis; marker planes face it.
// Every tool has its own sphere layout with distinct distances, so a layout cannot be matched rotated.

SimulatedInstrument reference()
{
    const Eigen::Vector3d tip(0.0, 0.0, 0.0);
    const Eigen::Isometry3d pose = placement({-140.0, 70.0, -1360.0}, rotation(18.0, {1.0, 0.4, 0.0}));
    return SimulatedInstrument(
        TrackerID("Reference", "SIM-REF-4", "Reference"), tip, -Eigen::Vector3d::UnitZ(), pose * tip,
        {{0, 0, 0}, {0, 52, 0}, {-44, 88, 0}, {38, 121, 0}}, SimulatedMotion(SimulatedMotion::Still{pose}));
}

SimulatedInstrument pivotPointer()
{
    const Eigen::Vector3d tip(3.0, -1.5, -158.0);
    const Eigen::Vector3d divot(40.0, -30.0, -1300.0);
    return SimulatedInstrument(TrackerID("Pivot", "SIM-PTR-4", "Pivoting pointer"), tip, tip.normalized(),
                               divot, {{0, 0, 0}, {0, 50, 0}, {27, 97, 0}, {-31, 139, 0}},
                               SimulatedMotion(SimulatedMotion::Pivot{divot, tip, 30.0, 5.0, 8.0}));
}

SimulatedInstrument needle()
{
    // The marker clamps to the hub beside the shaft, so the shaft does not pass through the marker origin.
    const Eigen::Vector3d hub(0.0, 22.0, -10.0);
    const Eigen::Vector3d axis = Eigen::Vector3d(0.04, -0.03, -1.0).normalized();
    const Eigen::Vector3d tip = hub + 170.0 * axis;
    const Eigen::Vector3d entry(-60.0, 40.0, -1250.0);
    const Eigen::Vector3d direction = Eigen::Vector3d(0.25, -0.15, -1.0).normalized();
    return SimulatedInstrument(
        TrackerID("Needle", "SIM-NDL-3", "Needle"), tip, axis, entry, {{0, 0, 0}, {46, 12, 0}, {17, -41, 0}},
        SimulatedMotion(SimulatedMotion::Spin{entry, tip, axis, direction, 150.0, 6.0}));
}

SimulatedInstrument pathFollower()
{
    const Eigen::Vector3d tip(8.0, 0.0, -95.0);
    const Eigen::Vector3d start(-100.0, -50.0, -1300.0);
    const Eigen::Vector3d end(120.0, 40.0, -1260.0);
    return SimulatedInstrument(
        TrackerID("Path", "SIM-PRB-3", "Path follower"), tip, tip.normalized(), start,
        {{0, 0, 0}, {-54, 0, 0}, {-21, 47, 0}},
        SimulatedMotion(SimulatedMotion::Path{start, end, tip, rotation(12.0, {0.0, 1.0, 0.2}), 10.0}));
}

SimulatedInstrument handHeldPointer(const std::string& id, std::uint64_t seed)
{
    const Eigen::Vector3d tip(-2.0, 1.0, -143.5);
    const Eigen::Isometry3d centre = placement({30.0, 10.0, -1280.0}, rotation(-20.0, {0.3, 1.0, 0.0}));
    return SimulatedInstrument(
        TrackerID(id, "SIM-PTR-4", id), tip, tip.normalized(), centre * tip,
        {{0, 0, 0}, {0, -50, 0}, {41, -83, 0}, {-36, -108, 0}},
        SimulatedMotion(SimulatedMotion::Wander{centre, wanderSeed(id, seed), 60.0, 15.0}));
}

}  // namespace

const std::vector<std::string>& SimulatedInstrument::knownIds()
{
    static const std::vector<std::string> ids = {"Reference", "Pivot", "Needle", "Path", "Pointer"};
    return ids;
}

std::optional<SimulatedInstrument> SimulatedInstrument::create(std::string_view id, std::uint64_t seed)
{
    std::optional<SimulatedInstrument> made;
    if (id == "Reference")
        made = reference();
    else if (id == "Pivot")
        made = pivotPointer();
    else if (id == "Needle")
        made = needle();
    else if (id == "Path")
        made = pathFollower();
    else if (id.starts_with("Pointer"))
        made = handHeldPointer(std::string(id), seed);
    if (made)
        made->m_wanderSeed = wanderSeed(id, seed);
    return made;
}

std::optional<std::string> SimulatedInstrument::canonicalId(std::string_view text)
{
    const auto sameIgnoringCase = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const std::string& known : knownIds())
        if (sameIgnoringCase(known, text))
            return known;
    constexpr std::string_view pointer = "Pointer";
    if (text.size() <= pointer.size() || !sameIgnoringCase(text.substr(0, pointer.size()), pointer))
        return std::nullopt;
    int number = 0;
    const std::string_view digits = text.substr(pointer.size());
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 2 || number > 999 ||
        digits[0] == '0')
        return std::nullopt;
    return std::string(pointer) + std::to_string(number);
}

SimulatedInstrument::SimulatedInstrument(TrackerID id, Eigen::Vector3d tipToMarker,
                                         Eigen::Vector3d needleAxis, Eigen::Vector3d pivotPoint,
                                         std::vector<Eigen::Vector3d> fiducials, SimulatedMotion motion)
    : m_id(std::move(id)),
      m_tipToMarker(std::move(tipToMarker)),
      m_needleAxis(needleAxis.normalized()),
      m_pivotPoint(std::move(pivotPoint)),
      m_fiducials(std::move(fiducials)),
      m_scripted(motion),
      m_motion(std::move(motion)),
      m_wanderSeed(wanderSeed(m_id.ID(), 0))
{
}

SimulatedInstrument SimulatedInstrument::withMotion(SimulatedMotion motion) const
{
    SimulatedInstrument moved = *this;
    moved.m_motion = std::move(motion);
    return moved;
}

SimulatedMotion SimulatedInstrument::motionOfKind(SimulatedMotion::Kind kind) const
{
    using Kind = SimulatedMotion::Kind;
    if (kind == m_scripted.kind())
        return m_scripted;
    const Eigen::Isometry3d rest = m_scripted.restingPose();
    const Eigen::Vector3d shaft = rest.linear() * m_needleAxis;
    const Eigen::Quaterniond orientation(rest.linear());
    switch (kind) {
        case Kind::Still:
            return SimulatedMotion(SimulatedMotion::Still{rest});
        case Kind::Pivot:
            return SimulatedMotion(SimulatedMotion::Pivot{m_pivotPoint, m_tipToMarker, 30.0, 5.0, 8.0});
        case Kind::Spin:
            return SimulatedMotion(
                SimulatedMotion::Spin{m_pivotPoint, m_tipToMarker, m_needleAxis, shaft, 150.0, 6.0});
        case Kind::Wander:
            return SimulatedMotion(SimulatedMotion::Wander{rest, m_wanderSeed, 60.0, 15.0});
        case Kind::Path: {
            // As a needle is pushed in and drawn back along a planned path, entering a little off it.
            const PlannedPath plan = plannedPath();
            const Eigen::Vector3d direction = (plan.target - plan.entry).normalized();
            const Eigen::Quaterniond alongPlan =
                Eigen::Quaterniond::FromTwoVectors(shaft, direction) * orientation;
            return SimulatedMotion(SimulatedMotion::Path{plan.entry + 2.0 * direction.unitOrthogonal(),
                                                         plan.target, m_tipToMarker, alongPlan, 10.0});
        }
        case Kind::DivotTour:
            return SimulatedMotion(
                SimulatedMotion::DivotTour{SimulatedPhantom::divotsInTracker(), m_tipToMarker, orientation});
    }
    return m_scripted;
}

SimulatedInstrument::PlannedPath SimulatedInstrument::plannedPath() const
{
    if (m_plan)
        return *m_plan;
    const Eigen::Vector3d shaft = m_scripted.restingPose().linear() * m_needleAxis;
    return {m_pivotPoint, m_pivotPoint + 80.0 * shaft};
}

SimulatedInstrument SimulatedInstrument::withPlannedPath(const PlannedPath& plan) const
{
    SimulatedInstrument planned = *this;
    planned.m_plan = plan;
    return planned;
}

Eigen::Matrix4d SimulatedInstrument::trueMarkerToTracker(double timeSeconds) const
{
    return m_motion.markerToTracker(timeSeconds).matrix();
}

Eigen::Vector3d SimulatedInstrument::trueTipInTracker(double timeSeconds) const
{
    return m_motion.markerToTracker(timeSeconds) * m_tipToMarker;
}

}  // namespace Tesselon
