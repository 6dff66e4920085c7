#include "host/stream/InstrumentCalibrationDataComponent.h"

namespace Tesselon {

std::optional<InstrumentCalibrationDataComponent::Calibration>
InstrumentCalibrationDataComponent::calibration(const std::string& instrumentId) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_calibrations.find(instrumentId);
    return found == m_calibrations.end() ? std::nullopt : std::optional(found->second);
}

void InstrumentCalibrationDataComponent::setCalibration(const std::string& instrumentId,
                                                        const Eigen::Matrix4d& matrix, double error)
{
    std::lock_guard lock(m_mutex);
    m_calibrations.insert_or_assign(instrumentId, Calibration{matrix, error});
}

bool InstrumentCalibrationDataComponent::removeCalibration(const std::string& instrumentId)
{
    std::lock_guard lock(m_mutex);
    return m_calibrations.erase(instrumentId) > 0;
}

std::vector<std::string> InstrumentCalibrationDataComponent::instrumentIds() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> ids;
    for (const auto& [id, calibration] : m_calibrations)
        ids.push_back(id);
    return ids;
}

}  // namespace Tesselon
