#include "navigation/resources/generator/ToolMotion.h"

#include <Eigen/Geometry>

#include <cmath>
#include <numbers>

namespace Tesselon {
namespace {

constexpr double kPivotTilt = 30.0 * std::numbers::pi / 180.0;
constexpr double kDipTilt = 12.0 * std::numbers::pi / 180.0;
constexpr double kDipLift = 0.3;
constexpr double kFlipAxisAzimuth = -25.0 * std::numbers::pi / 180.0;
/// Share of each half cycle the dip and flip rest before moving, so the viewer sees both end poses.
constexpr double kRestShare = 0.2;

Eigen::Matrix3d aboutZ(double angle)
{
    return Eigen::AngleAxisd(angle, Eigen::Vector3d::UnitZ()).toRotationMatrix();
}
Eigen::Matrix3d aboutY(double angle)
{
    return Eigen::AngleAxisd(angle, Eigen::Vector3d::UnitY()).toRotationMatrix();
}

double easeInOut(double x)
{
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

/// 0 -> 1 -> 0 over one cycle, resting at both ends.
double thereAndBack(double phase)
{
    const double half = phase < 0.5 ? phase * 2.0 : phase * 2.0 - 1.0;
    const double progress = half < kRestShare ? 0.0 : easeInOut((half - kRestShare) / (1.0 - kRestShare));
    return phase < 0.5 ? progress : 1.0 - progress;
}

ToolPose pivotingPose(double phase)
{
    // Tilting towards a turning azimuth without spinning the tool about its shaft, as a hand pivots it.
    const double azimuth = 2.0 * std::numbers::pi * phase;
    return {Eigen::Vector3d::Zero(), aboutZ(azimuth) * aboutY(kPivotTilt) * aboutZ(-azimuth)};
}

ToolPose rotationPose(double phase)
{
    return {Eigen::Vector3d::Zero(), aboutZ(2.0 * std::numbers::pi * phase)};
}

ToolPose dipPose(double phase)
{
    return {Eigen::Vector3d(0.0, 0.0, kDipLift * thereAndBack(phase)), aboutY(kDipTilt)};
}

ToolPose flipPose(double phase)
{
    const double angle = std::numbers::pi * thereAndBack(phase);
    return {Eigen::Vector3d::Zero(), Eigen::AngleAxisd(angle, ToolMotion::flipAxis()).toRotationMatrix()};
}

}  // namespace

ToolMotion::ToolMotion(Kind kind) : m_kind(kind) {}

std::string ToolMotion::name() const
{
    switch (m_kind) {
        case Kind::Pivoting:
            return "pivoting";
        case Kind::Rotation:
            return "rotation";
        case Kind::Dip:
            return "dip";
        case Kind::Flip:
            return "flip";
    }
    return "unknown";
}

int ToolMotion::frameCount() const
{
    return m_kind == Kind::Dip ? 40 : 48;
}

ToolPose ToolMotion::pose(int frame) const
{
    const double phase = static_cast<double>(frame % frameCount()) / frameCount();
    switch (m_kind) {
        case Kind::Pivoting:
            return pivotingPose(phase);
        case Kind::Rotation:
            return rotationPose(phase);
        case Kind::Dip:
            return dipPose(phase);
        case Kind::Flip:
            return flipPose(phase);
    }
    return {};
}

Eigen::Vector3d ToolMotion::flipAxis()
{
    return {std::cos(kFlipAxisAzimuth), std::sin(kFlipAxisAzimuth), 0.0};
}

}  // namespace Tesselon
