#pragma once

#include "host/core/model/DataComponent.h"

#include <Eigen/Core>

#include <cstdint>
#include <vector>

namespace Tesselon {

/// The raw fiducials (marker spheres) the tracker saw in one sample, each tagged with the ID hash
/// (`TrackerID::idHash`) of the instrument it belongs to, or 0 when it belongs to none.
class TrackingInstrumentFiducialsData : public DataComponent
{
public:
    struct Fiducial
    {
        Eigen::Vector3d position = Eigen::Vector3d::Zero();  ///< in the tracker frame (mm)
        std::uint64_t instrumentIdHash = 0;
    };

    explicit TrackingInstrumentFiducialsData(std::vector<Fiducial> fiducials = {})
        : m_fiducials(std::move(fiducials))
    {
    }

    std::string id() const override { return "TrackingInstrumentFiducialsData"; }
    const std::vector<Fiducial>& fiducials() const { return m_fiducials; }

private:
    std::vector<Fiducial> m_fiducials;
};

}  // namespace Tesselon
