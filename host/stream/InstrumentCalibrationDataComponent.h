#pragma once

#include "host/core/model/DataComponent.h"

#include <Eigen/Core>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

/// The calibration store of a tracking stream: per instrument ID, the calibration matrix (tipToMarker:
/// maps the calibrated tool frame into the instrument's marker frame) and the calibration's error.
/// Written from the GUI thread, read for every sample on stream threads, hence locked.
class InstrumentCalibrationDataComponent : public DataComponent
{
public:
    struct Calibration
    {
        Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
        double error = 0.0;
    };

    std::string id() const override { return "InstrumentCalibrationDataComponent"; }

    std::optional<Calibration> calibration(const std::string& instrumentId) const;
    void setCalibration(const std::string& instrumentId, const Eigen::Matrix4d& matrix, double error);
    bool removeCalibration(const std::string& instrumentId);
    std::vector<std::string> instrumentIds() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Calibration> m_calibrations;
};

}  // namespace Tesselon
