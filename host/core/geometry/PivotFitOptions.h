#pragma once

#include <cstddef>

namespace Tesselon {

/// Thresholds of the pivot fit. Positions are in millimetres. The motion thresholds were tuned on simulated
/// recordings: cones of 10 to 40 degrees half-angle pass with a wide margin, a tool held still or swung in a
/// plane is refused even with 0.1 degree orientation noise.
struct PivotFitOptions
{
    /// Fewer usable (rigid) poses than this are refused.
    std::size_t minimumPoses = 10;
    /// The largest angle between a pose and the mean orientation must reach this. A 10 degree cone reaches 10
    /// degrees; a tool held still reaches well under 1 degree from orientation noise alone.
    double minimumRotationRangeDegrees = 5.0;
    /// The motion must turn about a second axis: sqrt(smallest / largest eigenvalue) of
    /// sum (R_i - mean R)ᵀ(R_i - mean R) must reach this. A cone gives 0.7 to 0.85, an elliptic cone with 4:1
    /// axes about 0.24, a swing in a plane or a twist about the shaft under 0.02 (orientation noise only).
    /// The tip error along the weak direction grows as the inverse of this ratio.
    double minimumAxisSpreadRatio = 0.1;
    /// Poses whose rotation block deviates from orthonormal by more than this are skipped; loose enough for
    /// recorded poses, whose rotations are often orthonormal only to a few 1e-4.
    double rigidityTolerance = 1e-3;
    /// Tukey biweight cutoff, in robust scales (first pass) and in Mahalanobis units (second pass). Above the
    /// textbook 4.685: a residual beyond 5.5 has a chance of about 1e-6 under 3-D Gaussian noise, so a clean
    /// 300-pose recording loses a genuine pose about once in 3000 recordings, while a 5 mm slip stays far
    /// beyond the cutoff (about 2 mm at 0.5 mm noise).
    double tukeyCutoff = 5.5;
    /// Floor of the residual scale (mm, per axis), so near-perfect data is not trimmed to its rounding noise.
    double minimumResidualScale = 0.1;
    int maximumIterations = 50;
    /// The reweighting stops once the tip and the pivot move less than this (mm) in one iteration.
    double convergenceTolerance = 1e-7;
};

}  // namespace Tesselon
