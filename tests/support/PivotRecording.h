#pragma once

#include "host/stream/TrackingSequence.h"
#include "tests/support/Poses.h"

#include <random>

namespace Tesselon::Test {

/// A recording of a tool pivoting about its tip at `pivot`: the shaft sweeps a cone of this half-angle
/// about the tracker's z axis, with Gaussian position noise of this RMS (mm) on the marker.
inline std::unique_ptr<TrackingSequence> pivotRecording(const Eigen::Vector3d& tipInMarker,
                                                        const Eigen::Vector3d& pivot, double coneDegrees,
                                                        std::size_t samples, double noiseMm = 0.0,
                                                        unsigned seed = 1)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, noiseMm / std::sqrt(3.0));
    auto sequence = std::make_unique<TrackingSequence>(TrackerID("Tool"));
    for (std::size_t i = 0; i < samples; ++i) {
        const double around = 360.0 * static_cast<double>(i) / static_cast<double>(samples);
        const double tilt = coneDegrees * (0.6 + 0.4 * std::sin(3.0 * around * std::numbers::pi / 180.0));
        Eigen::Matrix4d markerToTracker = pose(Eigen::Vector3d::UnitZ(), around, Eigen::Vector3d::Zero()) *
                                          pose(Eigen::Vector3d::UnitX(), tilt, Eigen::Vector3d::Zero());
        // Place the marker so that its tip lands on the pivot.
        const Eigen::Vector3d tipRotated = markerToTracker.topLeftCorner<3, 3>() * tipInMarker;
        markerToTracker.topRightCorner<3, 1>() =
            pivot - tipRotated + Eigen::Vector3d(noise(random), noise(random), noise(random));
        sequence->add({markerToTracker, 1.0, 0.05 * static_cast<double>(i), {}});
    }
    return sequence;
}

/// A recording of a tool turning by `degrees` about `axisInMarker` through the marker origin, in steps.
inline std::unique_ptr<TrackingSequence> spinRecording(
    const Eigen::Vector3d& axisInMarker, double degrees, std::size_t samples,
    const Eigen::Matrix4d& start = Eigen::Matrix4d::Identity())
{
    auto sequence = std::make_unique<TrackingSequence>(TrackerID("Tool"));
    for (std::size_t i = 0; i < samples; ++i) {
        const double angle = degrees * static_cast<double>(i) / static_cast<double>(samples - 1);
        sequence->add({start * pose(axisInMarker, angle, Eigen::Vector3d::Zero()),
                       1.0,
                       0.05 * static_cast<double>(i),
                       {}});
    }
    return sequence;
}

}  // namespace Tesselon::Test
