#pragma once

#include "host/stream/TrackingStream.h"

namespace Tesselon {

/// A tracking stream without a device, standing for the tracker that captured points earlier (read from
/// a file): it never produces samples, but holds the calibrations that a registration writes.
class OfflineTrackingStream : public TrackingStream
{
public:
    explicit OfflineTrackingStream(std::string name) : TrackingStream(std::move(name)) {}

    std::vector<TrackingInstrument> instruments() const override { return {}; }

protected:
    bool openImpl() override { return true; }
    bool startImpl() override { return true; }
    bool stopImpl() override { return true; }
    bool closeImpl() override { return true; }
};

}  // namespace Tesselon
