#pragma once

#include "host/stream/ConstantVelocityKalman.h"

#include <Eigen/Core>

namespace Tesselon {

/// Smooths a tracked position (mm). Each axis follows a constant-velocity model (state: position and
/// velocity) with discrete white-noise acceleration process noise (Bar-Shalom),
/// Q = q * [dt^4/4, dt^3/2; dt^3/2, dt^2], and measurement noise R; the axes are independent. A target
/// moving at constant velocity is followed without steady-state lag.
///
/// Bad input never corrupts the state and every output is finite:
/// - a dt that is zero, negative or not finite skips the prediction; a measurement given with it still
///   corrects the estimate as if no time had passed;
/// - a measurement with a non-finite coordinate is ignored, the call is a prediction only;
/// - negative or non-finite variances given to the setters are ignored, the previous value stays;
/// - init with a non-finite position or variance is ignored; a negative variance counts as zero;
/// - before init, the first measurement starts the filter at that position with the measurement
///   variance as initial variance, and a prediction-only update returns the origin.
/// Defaults: R = 1 mm^2, q = 1. Updates allocate nothing.
class KalmanPosition
{
public:
    /// Starts the filter at this position (mm) with this initial state variance (mm^2); velocity 0.
    void init(const Eigen::Vector3d& position, double variance);
    /// Measurement noise as a variance (mm^2), despite the historical name.
    void setMeasurementSigma(double variance);
    /// Process noise intensity as a variance per millisecond to the fourth (see KalmanTimeStep); the caller
    /// scales it with its own time step.
    void setProcessVariance(double variance);
    /// Predicts over dt, corrects with the measurement, returns the filtered position.
    Eigen::Vector3d update(const Eigen::Vector3d& measurement, KalmanTimeStep dt);
    /// Predicts over dt only (no measurement, e.g. the tool is hidden), returns the predicted position.
    Eigen::Vector3d update(KalmanTimeStep dt);
    /// Current estimate.
    Eigen::Vector3d position() const;

private:
    ConstantVelocityKalman<3> m_filter;
};

}  // namespace Tesselon
