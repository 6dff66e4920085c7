#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>

#include <vector>

namespace Tesselon {

/// The calibration phantom the simulated tools work on: its eight divots and where it lies in front of the
/// simulated tracker. The demo registers its image with these divots, and a simulated pointer can be put
/// into them one after another (`SimulatedMotion::DivotTour`).
class SimulatedPhantom
{
public:
    /// The divots in the phantom image's coordinates (mm).
    static const std::vector<Eigen::Vector3d>& divots();
    /// Where the phantom lies: phantom image coordinates to tracker coordinates.
    static Eigen::Affine3d phantomToTracker();
    /// The divots in tracker coordinates, in the same order.
    static std::vector<Eigen::Vector3d> divotsInTracker();
};

}  // namespace Tesselon
