#pragma once

#include "host/stream/DeviceTime.h"

#include <cstdint>
#include <optional>

namespace Tesselon {

/// One sample of a stream, with the device's own timestamp, if it gives one, and the time it reached the
/// host in milliseconds. Emitted as a shared constant object, so receivers on several threads may keep it.
class StreamData
{
public:
    virtual ~StreamData();

    /// The device's clock; empty when the device gives none.
    std::optional<DeviceTime> timestampDevice() const { return m_timestampDevice; }
    void setTimestampDevice(std::optional<DeviceTime> time) { m_timestampDevice = time; }
    /// The system clock in milliseconds since its epoch when the sample arrived.
    std::uint64_t timestampArrival() const { return m_timestampArrival; }
    void setTimestampArrival(std::uint64_t milliseconds) { m_timestampArrival = milliseconds; }

    /// The system clock now, in milliseconds since its epoch.
    static std::uint64_t nowMilliseconds();

private:
    std::optional<DeviceTime> m_timestampDevice;
    std::uint64_t m_timestampArrival = 0;
};

}  // namespace Tesselon
