#pragma once

#include "host/core/model/DataComponent.h"

#include <Eigen/Core>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// Attached to every simulated sample: its simulated time and the noise-free pose of each instrument, so
/// receivers on any thread can measure errors against the exact truth of that very sample.
class SimulatedGroundTruthData : public DataComponent
{
public:
    struct Pose
    {
        std::string instrumentId;
        Eigen::Matrix4d markerToTracker = Eigen::Matrix4d::Identity();
    };

    SimulatedGroundTruthData(double timeSeconds, std::vector<Pose> poses);

    std::string id() const override { return "SimulatedGroundTruthData"; }
    double timeSeconds() const { return m_timeSeconds; }
    const std::vector<Pose>& poses() const { return m_poses; }
    /// The true pose of this instrument in this sample, hidden or not.
    std::optional<Eigen::Matrix4d> trueMarkerToTracker(std::string_view instrumentId) const;

private:
    double m_timeSeconds;
    std::vector<Pose> m_poses;
};

}  // namespace Tesselon
