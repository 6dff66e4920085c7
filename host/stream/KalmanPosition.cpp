#include "host/stream/KalmanPosition.h"

namespace Tesselon {

void KalmanPosition::init(const Eigen::Vector3d& position, double variance)
{
    m_filter.reset(position, variance);
}

void KalmanPosition::setMeasurementSigma(double variance)
{
    m_filter.setMeasurementVariance(variance);
}

void KalmanPosition::setProcessVariance(double variance)
{
    m_filter.setProcessVariance(variance);
}

Eigen::Vector3d KalmanPosition::update(const Eigen::Vector3d& measurement, KalmanTimeStep dt)
{
    if (!measurement.allFinite()) {
        return update(dt);
    }
    if (!m_filter.isInitialised()) {
        m_filter.reset(measurement, m_filter.measurementVariance());
        return position();
    }
    m_filter.predict(dt);
    m_filter.correct(measurement);
    return position();
}

Eigen::Vector3d KalmanPosition::update(KalmanTimeStep dt)
{
    m_filter.predict(dt);
    return position();
}

Eigen::Vector3d KalmanPosition::position() const
{
    return m_filter.value();
}

}  // namespace Tesselon
