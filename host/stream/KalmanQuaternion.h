#pragma once

#include "host/stream/ConstantVelocityKalman.h"

#include <Eigen/Core>

namespace Tesselon {

/// Smooths a tracked orientation given as a quaternion (w, x, y, z). The four components follow
/// independent constant-velocity models with discrete white-noise acceleration process noise
/// (Bar-Shalom), like KalmanPosition; variances are in squared quaternion units (an angle noise of
/// s radians is a component noise of about s/2). After every step the estimate is put back on the unit
/// sphere and its rate onto the sphere's tangent there, so predictions move along a great circle, that is
/// a rotation at constant angular velocity, and the output is always a unit quaternion.
///
/// q and -q are the same orientation: a measurement is flipped into the hemisphere of the predicted
/// estimate before it corrects it, so a sign change never drags the estimate through zero. Measurements
/// need not be unit length; their direction is used.
///
/// Bad input never corrupts the state and every output is a finite unit quaternion:
/// - a dt that is zero, negative or not finite skips the prediction; a measurement given with it still
///   corrects the estimate as if no time had passed;
/// - a measurement that is zero or has a non-finite component is ignored, the call is a prediction only;
/// - negative or non-finite variances given to the setters are ignored, the previous value stays;
/// - init with a zero or non-finite quaternion or a non-finite variance is ignored;
/// - before init, the first measurement starts the filter at that orientation with the measurement
///   variance as initial variance, and a prediction-only update returns the identity (1, 0, 0, 0).
/// Defaults: R = 1, q = 1. Updates allocate nothing.
class KalmanQuaternion
{
public:
    /// Starts the filter at this orientation (w, x, y, z) with this initial variance; rate 0.
    void init(const Eigen::Vector4d& wxyz, double variance);
    /// Measurement noise as a variance, despite the historical name.
    void setMeasurementSigma(double variance);
    /// Process noise intensity as a variance per millisecond to the fourth (see KalmanTimeStep); the caller
    /// scales it with its own time step.
    void setProcessVariance(double variance);
    /// Predicts over dt, corrects with the measurement (w, x, y, z), returns the filtered orientation.
    Eigen::Vector4d update(const Eigen::Vector4d& measuredWxyz, KalmanTimeStep dt);
    /// Predicts over dt only (no measurement), returns the predicted orientation.
    Eigen::Vector4d update(KalmanTimeStep dt);
    /// Current estimate as a unit quaternion (w, x, y, z).
    Eigen::Vector4d orientation() const;

private:
    ConstantVelocityKalman<4> m_filter;
};

}  // namespace Tesselon
