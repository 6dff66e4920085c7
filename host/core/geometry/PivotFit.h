#pragma once

#include <Eigen/Core>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace Tesselon {

/// The result of a pivot calibration: where the tool tip sits in its marker frame and the tracker-frame
/// point it pivoted about. Positions are in millimetres; values are NaN when the fit is invalid.
struct PivotFit
{
    /// False when the recording cannot determine the tip; `problem` then says why.
    bool valid = false;
    /// A plain-English sentence for the user; empty when valid.
    std::string problem;
    Eigen::Vector3d pivotInTracker = Eigen::Vector3d::Constant(std::numeric_limits<double>::quiet_NaN());
    /// The tip offset in the marker frame (tipToMarker translation).
    Eigen::Vector3d tipInMarker = Eigen::Vector3d::Constant(std::numeric_limits<double>::quiet_NaN());
    /// Statistics of residual_i = |R_i·tipInMarker + t_i - pivotInTracker| over every rigid sample, the
    /// rejected ones included (non-rigid poses have no meaningful residual and are left out).
    double minResidual = std::numeric_limits<double>::quiet_NaN();
    double meanResidual = std::numeric_limits<double>::quiet_NaN();
    double maxResidual = std::numeric_limits<double>::quiet_NaN();
    double rmsResidual = std::numeric_limits<double>::quiet_NaN();
    /// All poses given, and those the final fit used (rigid and not rejected as outliers).
    std::size_t samples = 0;
    std::size_t samplesUsed = 0;
    /// One flag per given pose: whether the final fit used it.
    std::vector<bool> inliers;
    /// The largest angle (degrees) between any rigid sample's rotation and their mean rotation.
    double rotationRangeDegrees = 0.0;
};

}  // namespace Tesselon
