#pragma once

#include "host/stream/igtl/IgtlMessage.h"

#include <Eigen/Core>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace Tesselon {

/// Encodes OpenIGTLink messages: poses as TRANSFORM or TDATA through the OpenIGTLink library (header
/// version 1), and the framing of header version 2 (extended header and metadata), which that library
/// does not know, around any version 1 message.
class IgtlMessageWriter
{
public:
    static constexpr std::size_t headerSize = 58;
    static constexpr std::size_t extendedHeaderSize = 12;

    /// A TRANSFORM message of one pose (toolToTracker, millimetres). Without a time, or with one at or before
    /// the epoch, the message says it has none.
    static std::vector<std::uint8_t> transform(std::string_view deviceName,
                                               const Eigen::Matrix4d& toolToTracker,
                                               std::optional<double> timestampSeconds);
    /// One TDATA message holding every tool (6D instruments).
    static std::vector<std::uint8_t> trackingData(std::string_view deviceName,
                                                  const std::vector<IgtlToolPose>& tools,
                                                  std::optional<double> timestampSeconds);
    /// The same message with header version 2: extended header, content, metadata; new body size and CRC.
    static std::vector<std::uint8_t> toVersion2(std::span<const std::uint8_t> version1Message,
                                                const IgtlMetadata& metadata, std::uint32_t messageId = 0);

    /// A message header over `body` (its size and CRC).
    static std::array<std::uint8_t, headerSize> header(std::uint16_t version, std::string_view type,
                                                       std::string_view deviceName, std::uint64_t timestamp,
                                                       std::span<const std::uint8_t> body);
    /// The 64-bit OpenIGTLink CRC of a body.
    static std::uint64_t crc(std::span<const std::uint8_t> body);

    /// The wire form of a time: whole seconds in the upper 32 bits, the fraction in units of 2^-32 s.
    static std::uint64_t timestampFromSeconds(double seconds);
    static double secondsFromTimestamp(std::uint64_t timestamp);
};

}  // namespace Tesselon
