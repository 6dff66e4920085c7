#pragma once

#include <Eigen/Core>

#include <optional>
#include <utility>
#include <vector>

namespace Tesselon {

// The geometry behind the navigation view's rings and camera, apart from the panel that draws them so it
// can be checked without a display. Curve coordinates u run from 0 at the path's start to 1 at the target.

/// How the path rings are spread along the curve.
enum class RingSpacing
{
    Equidistant,
    Exponential  ///< packed towards the target
};

/// Two unit vectors normal to `d` and to each other (zero vectors for a zero `d`).
std::pair<Eigen::Vector3d, Eigen::Vector3d> perpendiculars(const Eigen::Vector3d& d);

/// The curve coordinate u of path ring `i` of `count`: ring 0 at the start, none on the target.
double ringCoordinate(int i, int count, RingSpacing spacing);

/// The radius of a ring `distanceToTarget` mm of path before the target: 1.5 target radii, widened
/// exponentially with that distance for a funnel of growth `growth` mm. A funnel without growth, or one so
/// steep that the radius overflows, stays a tube.
double ringRadius(double targetRadius, bool funnel, double growth, double distanceToTarget);

/// The opacities of the path rings (centres in ring order) for the "Fading" mode: ranked by distance to
/// `tip`, the two nearest opaque, the next two faint, the rest hidden. A ring exactly as far as an
/// earlier one takes no rank and stays opaque.
std::vector<double> fadingOpacities(const std::vector<Eigen::Vector3d>& centres, const Eigen::Vector3d& tip);

/// Which path ring the camera sits on while following the rings: the second-to-last of the rings that
/// lie no farther from the first ring than the tool tip does. -1 without rings.
int linkedRingIndex(const std::vector<Eigen::Vector3d>& centres, const Eigen::Vector3d& tip);

/// The camera pose (cameraToWorld) on a ring: at the ring centre looking towards the target (the camera
/// looks along its -z), its up the tool's y axis as seen from there. None when the ring is on the target or
/// the tool's y axis points at it, where no such pose exists.
std::optional<Eigen::Matrix4d> ringCamera(const Eigen::Vector3d& ringCentre, const Eigen::Vector3d& target,
                                          const Eigen::Matrix4d& toolToWorld);

}  // namespace Tesselon
