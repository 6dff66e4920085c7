#pragma once

#include <cstdint>

namespace Tesselon {

/// One sample of a stream, with the device's own timestamp and the time it reached the host, both in
/// milliseconds. Emitted as a shared constant object, so receivers on several threads may keep it.
class StreamData
{
public:
    virtual ~StreamData();

    /// The device's clock in milliseconds; 0 when the device gives none.
    std::uint64_t timestampDevice() const { return m_timestampDevice; }
    void setTimestampDevice(std::uint64_t milliseconds) { m_timestampDevice = milliseconds; }
    /// The system clock in milliseconds since its epoch when the sample arrived.
    std::uint64_t timestampArrival() const { return m_timestampArrival; }
    void setTimestampArrival(std::uint64_t milliseconds) { m_timestampArrival = milliseconds; }

    /// The system clock now, in milliseconds since its epoch.
    static std::uint64_t nowMilliseconds();

private:
    std::uint64_t m_timestampDevice = 0;
    std::uint64_t m_timestampArrival = 0;
};

}  // namespace Tesselon
