#include "navigation/calibration/CalibrationRecordingFeedback.h"

#include "host/core/geometry/Geometry.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Tesselon {
namespace {

using Wizard = TrackingToolCalibrationWizardAlgorithm;

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

}  // namespace

void CalibrationRecordingFeedback::add(const Eigen::Matrix4d& markerToTracker)
{
    if (markerToTracker.allFinite())
        m_poses.push_back(markerToTracker);
}

double CalibrationRecordingFeedback::covered() const
{
    if (m_motion == Motion::Pivoting)
        return Wizard::pivotingTurn(m_poses);
    return m_poses.size() < 2 ? 0.0 : Wizard::rotationTurn(m_poses.front(), m_poses.back());
}

double CalibrationRecordingFeedback::needed() const
{
    return m_motion == Motion::Pivoting ? Wizard::minimumPivotingTurn : Wizard::minimumRotationTurn;
}

int CalibrationRecordingFeedback::progressPercent() const
{
    double fraction = covered() / needed();
    if (m_motion == Motion::Pivoting)
        fraction = std::min(fraction, static_cast<double>(m_poses.size()) / Wizard::minimumPivotingSamples);
    return static_cast<int>(std::clamp(100.0 * fraction, 0.0, 100.0));
}

bool CalibrationRecordingFeedback::isEnough() const
{
    if (m_motion == Motion::Rotation)
        return covered() >= needed();
    return m_poses.size() >= Wizard::minimumPivotingSamples && covered() >= needed() &&
           Geometry::fitSpherePivotingPoses(m_poses).valid;
}

std::string CalibrationRecordingFeedback::text() const
{
    const std::string verdict = isEnough() ? " · enough" : "";
    if (m_motion == Motion::Rotation)
        return fmt::format("Turned {:.0f}° of the {:.0f}° needed{}", degrees(covered()), degrees(needed()),
                           verdict);
    std::string line =
        fmt::format("Turned {:.1f} of {:.1f} rad · {} samples", covered(), needed(), m_poses.size());
    if (m_poses.size() >= Wizard::minimumPivotingSamples)
        if (const PivotFit fit = Geometry::fitSpherePivotingPoses(m_poses); fit.valid)
            line += fmt::format(" · pivot fit RMS {:.2f} mm", fit.rmsResidual);
    return line + verdict;
}

std::string CalibrationRecordingFeedback::refusal() const
{
    if (isEnough())
        return {};
    if (m_motion == Motion::Rotation)
        return fmt::format(
            "The tool turned {:.0f}° about its axis between the first and the last pose; turn it "
            "at least {:.0f}°.",
            degrees(covered()), degrees(needed()));
    if (m_poses.size() < Wizard::minimumPivotingSamples)
        return fmt::format("Only {} poses were recorded; at least {} are needed: pivot for longer.",
                           m_poses.size(), Wizard::minimumPivotingSamples);
    if (const PivotFit fit = Geometry::fitSpherePivotingPoses(m_poses); !fit.valid)
        return fit.problem;
    return fmt::format(
        "The tool turned {:.1f} rad in all, {:.1f} are needed: pivot it more widely about its tip.",
        covered(), needed());
}

}  // namespace Tesselon
