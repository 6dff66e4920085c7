#include "host/stream/igtl/IgtlMessageWriter.h"

#include "host/stream/igtl/BigEndian.h"

#include <igtlTrackingDataMessage.h>
#include <igtlTransformMessage.h>
#include <igtl_util.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace Tesselon {
namespace {

constexpr std::size_t typeSize = 12;
constexpr std::size_t deviceNameSize = 20;
constexpr std::uint16_t utf8Encoding = 106;  // IANA MIBenum, what version 2 peers write

void toLibraryMatrix(const Eigen::Matrix4d& pose, igtl::Matrix4x4 matrix)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            matrix[row][column] = static_cast<float>(pose(row, column));
}

void setTimestamp(igtl::MessageBase& message, std::optional<double> seconds)
{
    const std::uint64_t timestamp = seconds ? IgtlMessageWriter::timestampFromSeconds(*seconds) : 0;
    message.SetTimeStamp(static_cast<unsigned>(timestamp >> 32),
                         static_cast<unsigned>(timestamp & 0xffffffffu));
}

std::vector<std::uint8_t> packed(igtl::MessageBase& message)
{
    message.Pack();
    const auto* first = static_cast<const std::uint8_t*>(message.GetPackPointer());
    return {first, first + message.GetPackSize()};
}

void appendPadded(std::vector<std::uint8_t>& bytes, std::string_view text, std::size_t size)
{
    const std::size_t used = std::min(text.size(), size);
    bytes.insert(bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(used));
    bytes.insert(bytes.end(), size - used, 0);
}

}  // namespace

std::vector<std::uint8_t> IgtlMessageWriter::transform(std::string_view deviceName,
                                                       const Eigen::Matrix4d& toolToTracker,
                                                       std::optional<double> timestampSeconds)
{
    auto message = igtl::TransformMessage::New();
    message->SetDeviceName(std::string(deviceName).c_str());
    setTimestamp(*message, timestampSeconds);
    igtl::Matrix4x4 matrix;
    toLibraryMatrix(toolToTracker, matrix);
    message->SetMatrix(matrix);
    return packed(*message);
}

std::vector<std::uint8_t> IgtlMessageWriter::trackingData(std::string_view deviceName,
                                                          const std::vector<IgtlToolPose>& tools,
                                                          std::optional<double> timestampSeconds)
{
    auto message = igtl::TrackingDataMessage::New();
    message->SetDeviceName(std::string(deviceName).c_str());
    setTimestamp(*message, timestampSeconds);
    for (const IgtlToolPose& tool : tools) {
        auto element = igtl::TrackingDataElement::New();
        element->SetName(tool.name.c_str());
        element->SetType(igtl::TrackingDataElement::TYPE_6D);
        igtl::Matrix4x4 matrix;
        toLibraryMatrix(tool.toolToTracker, matrix);
        element->SetMatrix(matrix);
        message->AddTrackingDataElement(element);
    }
    return packed(*message);
}

std::vector<std::uint8_t> IgtlMessageWriter::toVersion2(std::span<const std::uint8_t> version1Message,
                                                        const IgtlMetadata& metadata, std::uint32_t messageId)
{
    if (version1Message.size() < headerSize)
        throw std::invalid_argument("An OpenIGTLink message is at least one header long.");
    std::vector<std::uint8_t> metadataHeader;
    std::vector<std::uint8_t> metadataBody;
    BigEndian::append(metadataHeader, static_cast<std::uint16_t>(metadata.size()));
    for (const auto& [key, value] : metadata) {
        BigEndian::append(metadataHeader, static_cast<std::uint16_t>(key.size()));
        BigEndian::append(metadataHeader, utf8Encoding);
        BigEndian::append(metadataHeader, static_cast<std::uint32_t>(value.size()));
        metadataBody.insert(metadataBody.end(), key.begin(), key.end());
        metadataBody.insert(metadataBody.end(), value.begin(), value.end());
    }

    std::vector<std::uint8_t> body;
    BigEndian::append(body, static_cast<std::uint16_t>(extendedHeaderSize));
    BigEndian::append(body, static_cast<std::uint16_t>(metadataHeader.size()));
    BigEndian::append(body, static_cast<std::uint32_t>(metadataBody.size()));
    BigEndian::append(body, messageId);
    body.insert(body.end(), version1Message.begin() + headerSize, version1Message.end());
    body.insert(body.end(), metadataHeader.begin(), metadataHeader.end());
    body.insert(body.end(), metadataBody.begin(), metadataBody.end());

    const auto text = [&](std::size_t offset, std::size_t size) {
        const auto* first = reinterpret_cast<const char*>(version1Message.data() + offset);
        return std::string(first, strnlen(first, size));
    };
    const auto messageHeader = header(2, text(2, typeSize), text(2 + typeSize, deviceNameSize),
                                      BigEndian::read<std::uint64_t>(version1Message.data() + 34), body);
    body.insert(body.begin(), messageHeader.begin(), messageHeader.end());
    return body;
}

std::array<std::uint8_t, IgtlMessageWriter::headerSize> IgtlMessageWriter::header(
    std::uint16_t version, std::string_view type, std::string_view deviceName, std::uint64_t timestamp,
    std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(headerSize);
    BigEndian::append(bytes, version);
    appendPadded(bytes, type, typeSize);
    appendPadded(bytes, deviceName, deviceNameSize);
    BigEndian::append(bytes, timestamp);
    BigEndian::append(bytes, static_cast<std::uint64_t>(body.size()));
    BigEndian::append(bytes, crc(body));
    std::array<std::uint8_t, headerSize> result;
    std::copy(bytes.begin(), bytes.end(), result.begin());
    return result;
}

std::uint64_t IgtlMessageWriter::crc(std::span<const std::uint8_t> body)
{
    // The library's signature takes a mutable pointer but only reads.
    return crc64(const_cast<std::uint8_t*>(body.data()), body.size(), 0);
}

std::uint64_t IgtlMessageWriter::timestampFromSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return 0;
    const double whole = std::floor(seconds);
    if (whole >= 4294967296.0)
        return std::numeric_limits<std::uint64_t>::max();
    const auto fraction =
        static_cast<std::uint64_t>(std::min((seconds - whole) * 4294967296.0, 4294967295.0));
    return (static_cast<std::uint64_t>(whole) << 32) | fraction;
}

double IgtlMessageWriter::secondsFromTimestamp(std::uint64_t timestamp)
{
    return static_cast<double>(timestamp >> 32) + static_cast<double>(timestamp & 0xffffffffu) / 4294967296.0;
}

}  // namespace Tesselon
