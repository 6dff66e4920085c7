#include "host/stream/sources/SimulatedPhantom.h"

namespace Tesselon {

const std::vector<Eigen::Vector3d>& SimulatedPhantom::divots()
{
    static const std::vector<Eigen::Vector3d> positions = {
        {104.3, 5.0, 20.0},  {104.3, 45.0, 20.0}, {104.3, 45.0, 0.0}, {104.3, -5.0, 0.0},
        {-34.3, 45.0, 15.0}, {-34.3, -5.0, 20.0}, {-34.3, -5.0, 0.0}, {-34.3, 45.0, 0.0}};
    return positions;
}

Eigen::Affine3d SimulatedPhantom::phantomToTracker()
{
    // Within reach of every simulated tool, about 1.45 m in front of the tracker.
    return Eigen::Translation3d(-120, 40, -1450) *
           Eigen::AngleAxisd(0.4, Eigen::Vector3d(1, 2, 1).normalized());
}

std::vector<Eigen::Vector3d> SimulatedPhantom::divotsInTracker()
{
    const Eigen::Affine3d placement = phantomToTracker();
    std::vector<Eigen::Vector3d> result;
    for (const Eigen::Vector3d& divot : divots())
        result.push_back(placement * divot);
    return result;
}

}  // namespace Tesselon
