#include "host/stream/ConstantVelocityKalman.h"

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

bool isUsableVariance(double variance)
{
    return std::isfinite(variance) && variance >= 0.0;
}

bool allFinite(double a, double b, double c)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

}  // namespace

template <int Dim>
void ConstantVelocityKalman<Dim>::reset(const Vector& value, double variance)
{
    if (!value.allFinite() || !std::isfinite(variance)) {
        return;
    }
    const double clamped = std::max(variance, 0.0);
    m_value = value;
    m_rate.setZero();
    m_pp = clamped;
    m_pv = 0.0;
    m_vv = clamped;
    m_initialised = true;
}

template <int Dim>
void ConstantVelocityKalman<Dim>::setMeasurementVariance(double variance)
{
    if (isUsableVariance(variance)) {
        m_measurementVariance = variance;
    }
}

template <int Dim>
void ConstantVelocityKalman<Dim>::setProcessVariance(double variance)
{
    if (isUsableVariance(variance)) {
        m_processVariance = variance;
    }
}

template <int Dim>
bool ConstantVelocityKalman<Dim>::predict(KalmanTimeStep step)
{
    const double dt = step.count();
    if (!m_initialised || !std::isfinite(dt) || dt <= 0.0) {
        return false;
    }
    const double dt2 = dt * dt;
    const double q = m_processVariance;
    // P = F P F^T + Q with F = [1, dt; 0, 1].
    const double pp = m_pp + 2.0 * dt * m_pv + dt2 * m_vv + q * dt2 * dt2 / 4.0;
    const double pv = m_pv + dt * m_vv + q * dt2 * dt / 2.0;
    const double vv = m_vv + q * dt2;
    const Vector value = m_value + dt * m_rate;
    if (!allFinite(pp, pv, vv) || !value.allFinite()) {
        return false;
    }
    m_value = value;
    m_pp = pp;
    m_pv = pv;
    m_vv = vv;
    return true;
}

template <int Dim>
bool ConstantVelocityKalman<Dim>::correct(const Vector& measurement)
{
    const double innovationVariance = m_pp + m_measurementVariance;
    if (!m_initialised || !measurement.allFinite() || !(innovationVariance > 0.0)) {
        return false;
    }
    const double valueGain = m_pp / innovationVariance;
    const double rateGain = m_pv / innovationVariance;
    const Vector innovation = measurement - m_value;
    const Vector value = m_value + valueGain * innovation;
    const Vector rate = m_rate + rateGain * innovation;
    // P = (I - K H) P, written out so it stays symmetric; rounding must not make vv negative.
    const double pp = (1.0 - valueGain) * m_pp;
    const double pv = (1.0 - valueGain) * m_pv;
    const double vv = std::max(m_vv - rateGain * m_pv, 0.0);
    if (!allFinite(pp, pv, vv) || !value.allFinite() || !rate.allFinite()) {
        return false;
    }
    m_value = value;
    m_rate = rate;
    m_pp = pp;
    m_pv = pv;
    m_vv = vv;
    return true;
}

template <int Dim>
void ConstantVelocityKalman<Dim>::setState(const Vector& value, const Vector& rate)
{
    if (value.allFinite() && rate.allFinite()) {
        m_value = value;
        m_rate = rate;
    }
}

template class ConstantVelocityKalman<3>;
template class ConstantVelocityKalman<4>;

}  // namespace Tesselon
