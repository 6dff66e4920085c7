#include "host/stream/sources/SimulatedGroundTruthData.h"

namespace Tesselon {

SimulatedGroundTruthData::SimulatedGroundTruthData(double timeSeconds, std::vector<Pose> poses)
    : m_timeSeconds(timeSeconds), m_poses(std::move(poses))
{
}

std::optional<Eigen::Matrix4d> SimulatedGroundTruthData::trueMarkerToTracker(
    std::string_view instrumentId) const
{
    for (const Pose& pose : m_poses)
        if (pose.instrumentId == instrumentId)
            return pose.markerToTracker;
    return std::nullopt;
}

}  // namespace Tesselon
