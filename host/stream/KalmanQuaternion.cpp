#include "host/stream/KalmanQuaternion.h"

#include <optional>

namespace Tesselon {

namespace {

/// The unit quaternion along v, or nothing for a zero or non-finite v. Scaling by the largest
/// component first keeps tiny and huge inputs from under- or overflowing the norm.
std::optional<Eigen::Vector4d> toUnit(const Eigen::Vector4d& v)
{
    if (!v.allFinite()) {
        return std::nullopt;
    }
    const double largest = v.cwiseAbs().maxCoeff();
    if (!(largest > 0.0)) {
        return std::nullopt;
    }
    const Eigen::Vector4d scaled = v / largest;
    return scaled / scaled.norm();
}

/// Normalises the estimate and makes its rate tangent to the sphere there. After a prediction the rate
/// keeps its length, which carries it along the great circle (parallel transport); after a correction
/// the radial part is only rounding of the chord between estimate and measurement and is dropped.
void projectOntoSphere(ConstantVelocityKalman<4>& filter, bool keepSpeed)
{
    const auto unit = toUnit(filter.value());
    if (!unit) {
        return;
    }
    const Eigen::Vector4d& rate = filter.rate();
    Eigen::Vector4d tangent = rate - rate.dot(*unit) * *unit;
    const double tangentSpeed = tangent.norm();
    if (keepSpeed && tangentSpeed > 1e-12 * rate.norm()) {
        tangent *= rate.norm() / tangentSpeed;
    }
    filter.setState(*unit, tangent);
}

}  // namespace

void KalmanQuaternion::init(const Eigen::Vector4d& wxyz, double variance)
{
    if (const auto unit = toUnit(wxyz)) {
        m_filter.reset(*unit, variance);
    }
}

void KalmanQuaternion::setMeasurementSigma(double variance)
{
    m_filter.setMeasurementVariance(variance);
}

void KalmanQuaternion::setProcessVariance(double variance)
{
    m_filter.setProcessVariance(variance);
}

Eigen::Vector4d KalmanQuaternion::update(const Eigen::Vector4d& measuredWxyz, KalmanTimeStep dt)
{
    const auto unit = toUnit(measuredWxyz);
    if (!unit) {
        return update(dt);
    }
    if (!m_filter.isInitialised()) {
        m_filter.reset(*unit, m_filter.measurementVariance());
        return orientation();
    }
    if (m_filter.predict(dt)) {
        projectOntoSphere(m_filter, true);
    }
    const Eigen::Vector4d measurement = unit->dot(m_filter.value()) < 0.0 ? Eigen::Vector4d(-*unit) : *unit;
    if (m_filter.correct(measurement)) {
        projectOntoSphere(m_filter, false);
    }
    return orientation();
}

Eigen::Vector4d KalmanQuaternion::update(KalmanTimeStep dt)
{
    if (m_filter.predict(dt)) {
        projectOntoSphere(m_filter, true);
    }
    return orientation();
}

Eigen::Vector4d KalmanQuaternion::orientation() const
{
    return m_filter.isInitialised() ? m_filter.value() : Eigen::Vector4d(1.0, 0.0, 0.0, 0.0);
}

}  // namespace Tesselon
