#pragma once

#include "host/stream/PassiveTrackingStream.h"

namespace Tesselon {

/// A tracking stream without a device, standing for the tracker that captured points earlier (read from
/// a file): it never produces samples, but holds the calibrations that a registration writes.
class OfflineTrackingStream : public PassiveTrackingStream
{
public:
    explicit OfflineTrackingStream(std::string name) : PassiveTrackingStream(std::move(name)) {}

    std::vector<TrackingInstrument> instruments() const override { return {}; }
};

}  // namespace Tesselon
