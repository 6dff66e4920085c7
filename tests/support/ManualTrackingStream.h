#pragma once

#include "host/stream/PassiveTrackingStream.h"
#include "host/stream/TrackingStreamData.h"

#include <optional>
#include <stdexcept>

namespace Tesselon::Test {

/// A tracking stream that emits exactly what the test hands it (unless paused), on the test's thread. Its
/// operations succeed unless told to fail or throw.
class ManualTrackingStream : public PassiveTrackingStream
{
public:
    explicit ManualTrackingStream(std::string name = "Manual Stream") : PassiveTrackingStream(std::move(name))
    {
    }

    /// Emits one sample with these instruments and this device time.
    std::shared_ptr<const TrackingStreamData> emitInstruments(std::vector<TrackingInstrument> instruments,
                                                              std::optional<DeviceTime> deviceTime = {})
    {
        auto sample = std::make_shared<TrackingStreamData>(this, instruments);
        sample->setTimestampDevice(deviceTime);
        sample->setTimestampArrival(StreamData::nowMilliseconds());
        m_instruments = std::move(instruments);
        emitData(sample);
        return sample;
    }

    std::vector<TrackingInstrument> instruments() const override { return m_instruments; }
    void setInstruments(std::vector<TrackingInstrument> instruments)
    {
        m_instruments = std::move(instruments);
    }

    bool succeed = true;
    bool throwOnOpen = false;

protected:
    bool openImpl() override
    {
        if (throwOnOpen)
            throw std::runtime_error("the device is unplugged");
        return succeed;
    }
    bool startImpl() override { return succeed; }
    bool stopImpl() override { return succeed; }

private:
    std::vector<TrackingInstrument> m_instruments;
};

}  // namespace Tesselon::Test
