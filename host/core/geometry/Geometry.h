#pragma once

#include "host/core/geometry/PivotFit.h"
#include "host/core/geometry/PivotFitOptions.h"

#include <Eigen/Core>

#include <vector>

namespace Tesselon {

/// Geometric fits on tracked poses. Positions are in millimetres.
class Geometry
{
public:
    /// Pivot calibration from markerToTracker poses of a tool turned about its resting tip, robust to moments
    /// where the tip slipped. The motion is checked before fitting: too few rigid poses, too little rotation,
    /// or rotation about a single axis (which leaves the tip undetermined along that axis) give an invalid
    /// fit with a sentence for the user. Non-rigid poses are skipped. The fit starts from the least-squares
    /// solution and reweights it with Tukey's biweight (IRLS): first on residual norms scaled by their
    /// median, then on Mahalanobis distances under the covariance of the residuals it trusts. The result is
    /// the plain least-squares fit of the poses with a non-zero final weight, so a clean recording gives the
    /// one-step fit.
    static PivotFit fitSpherePivotingPoses(const std::vector<Eigen::Matrix4d>& markerToTrackerPoses,
                                           const PivotFitOptions& options = {});

    /// The one-step algebraic least-squares fit of [R_i, -I]·[tip; pivot] = -t_i over every rigid pose, with
    /// the same motion checks; every rigid pose counts as an inlier.
    static PivotFit fitSpherePivotingPosesAlgebraic(const std::vector<Eigen::Matrix4d>& markerToTrackerPoses,
                                                    const PivotFitOptions& options = {});
};

}  // namespace Tesselon
