#pragma once

#include <Eigen/Core>

#include <string>
#include <vector>

namespace Tesselon {

/// What the calibration wizard says while a motion is recorded, so that the user knows when to stop: how
/// far the motion has come against what the wizard will accept, and for pivoting the sample count and the
/// running RMS of the pivot fit. Fed the instrument's poses on the GUI thread.
class CalibrationRecordingFeedback
{
public:
    enum class Motion
    {
        Pivoting,
        Rotation
    };

    explicit CalibrationRecordingFeedback(Motion motion) : m_motion(motion) {}

    /// Non-finite poses are left out.
    void add(const Eigen::Matrix4d& markerToTracker);
    void clear() { m_poses.clear(); }
    std::size_t sampleCount() const { return m_poses.size(); }

    /// 0 to 100: how much of what is needed the motion has covered.
    int progressPercent() const;
    /// Whether the wizard would accept the recording now.
    bool isEnough() const;
    /// One line for the panel, e.g. "Turned 1.4 of 2.0 rad · 230 samples · pivot fit RMS 0.31 mm".
    std::string text() const;
    /// Why the recording would be refused, in the fit's own words where it has them; empty when enough.
    std::string refusal() const;

private:
    /// How far the motion has come, and what is needed, in the measure the wizard accepts by.
    double covered() const;
    double needed() const;

    Motion m_motion;
    std::vector<Eigen::Matrix4d> m_poses;
};

}  // namespace Tesselon
