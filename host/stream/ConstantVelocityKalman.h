#pragma once

#include <Eigen/Core>

#include <chrono>

namespace Tesselon {

/// The time step of the Kalman filters. They count time in milliseconds, the unit of device clocks: rates
/// are per millisecond and process variances per millisecond to the fourth. Any std::chrono duration
/// converts to it.
using KalmanTimeStep = std::chrono::duration<double, std::milli>;

/// Kalman filter for Dim independent components that each follow a constant-velocity model: the state of
/// a component is its value and its rate, the process noise is the discrete white-noise acceleration
/// model (Bar-Shalom), Q = q * [dt^4/4, dt^3/2; dt^3/2, dt^2], and each component is measured directly
/// with variance R. Every component sees the same dt, q, R and initial variance, so they share one 2x2
/// covariance; keeping a single copy is exact and makes a step a handful of scalar operations.
///
/// Bad input never reaches the state: a dt that is not a finite positive number skips the prediction, a
/// non-finite measurement skips the correction, negative or non-finite variances are ignored, and a step
/// whose result would not be finite (overflow) is discarded whole.
template <int Dim>
class ConstantVelocityKalman
{
public:
    using Vector = Eigen::Matrix<double, Dim, 1>;

    /// Starts at this value with zero rate; value and rate both get this variance. Ignored if either is
    /// not finite; a negative variance counts as zero.
    void reset(const Vector& value, double variance);
    bool isInitialised() const { return m_initialised; }

    void setMeasurementVariance(double variance);
    void setProcessVariance(double variance);
    double measurementVariance() const { return m_measurementVariance; }

    /// Advances the state by dt; returns whether it did.
    bool predict(KalmanTimeStep dt);
    /// Blends the measurement into the state; returns whether it did.
    bool correct(const Vector& measurement);

    const Vector& value() const { return m_value; }
    const Vector& rate() const { return m_rate; }
    /// Replaces value and rate, keeping the covariance (used to pull a state back onto a constraint).
    void setState(const Vector& value, const Vector& rate);

private:
    Vector m_value = Vector::Zero();
    Vector m_rate = Vector::Zero();
    // The shared covariance [m_pp, m_pv; m_pv, m_vv] of (value, rate).
    double m_pp = 0.0;
    double m_pv = 0.0;
    double m_vv = 0.0;
    double m_measurementVariance = 1.0;
    double m_processVariance = 1.0;
    bool m_initialised = false;
};

extern template class ConstantVelocityKalman<3>;
extern template class ConstantVelocityKalman<4>;

}  // namespace Tesselon
