#include "host/stream/igtl/IgtlMessageReader.h"

#include "host/core/geometry/Pose.h"
#include "host/stream/igtl/BigEndian.h"
#include "host/stream/igtl/IgtlMessageWriter.h"

#include <fmt/core.h>
#include <igtlPositionMessage.h>
#include <igtlQuaternionTrackingDataMessage.h>
#include <igtlTrackingDataMessage.h>
#include <igtlTransformMessage.h>

#include <Eigen/Geometry>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <set>

namespace Tesselon {
namespace {

constexpr std::size_t headerSize = IgtlMessageWriter::headerSize;
constexpr std::size_t typeOffset = 2;
constexpr std::size_t deviceOffset = 14;
constexpr std::size_t timestampOffset = 34;
constexpr std::size_t bodySizeOffset = 42;
constexpr std::size_t crcOffset = 50;
constexpr std::size_t transformSize = 48;
constexpr std::size_t trackingElementSize = 70;
constexpr std::size_t quaternionElementSize = 50;
// Float poses are rigid only to about 1e-7; senders round further.
constexpr double rigidTolerance = 1e-3;

struct HeaderFields
{
    std::uint16_t version = 0;
    std::string type;
    std::string deviceName;
    std::uint64_t timestamp = 0;
    std::uint64_t bodySize = 0;
    std::uint64_t crc = 0;
};

std::string paddedText(const std::uint8_t* bytes, std::size_t size)
{
    const auto* first = reinterpret_cast<const char*>(bytes);
    return std::string(first, strnlen(first, size));
}

bool isPrintable(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

HeaderFields readHeader(const std::uint8_t* bytes)
{
    HeaderFields header;
    header.version = BigEndian::read<std::uint16_t>(bytes);
    header.type = paddedText(bytes + typeOffset, deviceOffset - typeOffset);
    header.deviceName = paddedText(bytes + deviceOffset, timestampOffset - deviceOffset);
    header.timestamp = BigEndian::read<std::uint64_t>(bytes + timestampOffset);
    header.bodySize = BigEndian::read<std::uint64_t>(bytes + bodySizeOffset);
    header.crc = BigEndian::read<std::uint64_t>(bytes + crcOffset);
    return header;
}

bool carriesPoses(const std::string& type)
{
    return type == "TRANSFORM" || type == "TDATA" || type == "QTDATA" || type == "POSITION";
}

IgtlMessageReader::Outcome problem(IgtlMessageReader::Problem kind, std::string detail)
{
    return {kind, std::move(detail), std::nullopt};
}

Eigen::Matrix4d fromLibraryMatrix(const igtl::Matrix4x4 matrix)
{
    Eigen::Matrix4d pose;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            pose(row, column) = matrix[row][column];
    return pose;
}

Eigen::Matrix4d fromPositionAndQuaternion(const float position[3], const float quaternion[4])
{
    // The wire order is x, y, z, w; a zero quaternion leaves a non-finite pose, refused as invalid.
    Eigen::Quaterniond rotation(quaternion[3], quaternion[0], quaternion[1], quaternion[2]);
    rotation.normalize();
    Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
    pose.topLeftCorner<3, 3>() = rotation.toRotationMatrix();
    pose.topRightCorner<3, 1>() = Eigen::Vector3d(position[0], position[1], position[2]);
    return pose;
}

// The library parses a version 1 message; its header is rebuilt around the content alone.
template <class MessageType>
typename MessageType::Pointer unpackContent(const HeaderFields& fields, std::span<const std::uint8_t> content)
{
    const auto header =
        IgtlMessageWriter::header(1, fields.type, fields.deviceName, fields.timestamp, content);
    auto libraryHeader = igtl::MessageHeader::New();
    libraryHeader->InitPack();
    std::memcpy(libraryHeader->GetPackPointer(), header.data(), header.size());
    libraryHeader->Unpack();
    auto message = MessageType::New();
    message->SetMessageHeader(libraryHeader);
    message->AllocatePack();
    if (static_cast<std::size_t>(message->GetPackBodySize()) != content.size())
        return nullptr;
    std::copy(content.begin(), content.end(), static_cast<std::uint8_t*>(message->GetPackBodyPointer()));
    if (!(message->Unpack(0) & igtl::MessageHeader::UNPACK_BODY))
        return nullptr;
    return message;
}

std::optional<std::vector<IgtlToolPose>> transformTools(const HeaderFields& fields,
                                                        std::span<const std::uint8_t> content)
{
    auto message = unpackContent<igtl::TransformMessage>(fields, content);
    if (!message)
        return std::nullopt;
    igtl::Matrix4x4 matrix;
    message->GetMatrix(matrix);
    return std::vector<IgtlToolPose>{{fields.deviceName, fromLibraryMatrix(matrix), true}};
}

std::optional<std::vector<IgtlToolPose>> positionTools(const HeaderFields& fields,
                                                       std::span<const std::uint8_t> content)
{
    auto message = unpackContent<igtl::PositionMessage>(fields, content);
    if (!message)
        return std::nullopt;
    float position[3];
    float quaternion[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    message->GetPosition(position);
    message->GetQuaternion(quaternion);
    return std::vector<IgtlToolPose>{
        {fields.deviceName, fromPositionAndQuaternion(position, quaternion), true}};
}

std::optional<std::vector<IgtlToolPose>> trackingDataTools(const HeaderFields& fields,
                                                           std::span<const std::uint8_t> content)
{
    auto message = unpackContent<igtl::TrackingDataMessage>(fields, content);
    if (!message)
        return std::nullopt;
    std::vector<IgtlToolPose> tools;
    for (int i = 0; i < message->GetNumberOfTrackingDataElements(); ++i) {
        igtl::TrackingDataElement::Pointer element;
        message->GetTrackingDataElement(i, element);
        igtl::Matrix4x4 matrix;
        element->GetMatrix(matrix);
        tools.push_back({element->GetName(), fromLibraryMatrix(matrix), true});
    }
    return tools;
}

std::optional<std::vector<IgtlToolPose>> quaternionTrackingDataTools(const HeaderFields& fields,
                                                                     std::span<const std::uint8_t> content)
{
    auto message = unpackContent<igtl::QuaternionTrackingDataMessage>(fields, content);
    if (!message)
        return std::nullopt;
    std::vector<IgtlToolPose> tools;
    for (int i = 0; i < message->GetNumberOfQuaternionTrackingDataElements(); ++i) {
        igtl::QuaternionTrackingDataElement::Pointer element;
        message->GetQuaternionTrackingDataElement(i, element);
        float position[3];
        float quaternion[4];
        element->GetPosition(position);
        element->GetQuaternion(quaternion);
        tools.push_back({element->GetName(), fromPositionAndQuaternion(position, quaternion), true});
    }
    return tools;
}

// The sizes each type allows; the library itself reads past short bodies.
bool contentSizeFits(const std::string& type, std::size_t size)
{
    if (type == "TRANSFORM")
        return size == transformSize;
    if (type == "POSITION")
        return size == 12 || size == 24 || size == 28;
    if (type == "TDATA")
        return size % trackingElementSize == 0;
    return size % quaternionElementSize == 0;
}

std::size_t smallestContent(const std::string& type)
{
    return type == "TRANSFORM" ? transformSize : type == "POSITION" ? 12 : 0;
}

bool isOkStatus(std::string value)
{
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    return value == "OK" || value == "VALID" || value == "TRUE" || value == "1" || value == "YES";
}

// Metadata that marks a pose invalid: "<name>Status" for any tool, and for a single-pose message also
// "TransformStatus" and "TransformValid". One message may carry thousands of tools and of entries, so each
// tool looks its key up instead of scanning every entry.
void applyStatus(IgtlMessage& message)
{
    std::set<std::string, std::less<>> notOkKeys;
    for (const auto& [key, value] : message.metadata)
        if (!isOkStatus(value))
            notOkKeys.insert(key);
    const bool singlePose = message.type == "TRANSFORM" || message.type == "POSITION";
    const bool singlePoseNotOk =
        singlePose && (notOkKeys.contains("TransformStatus") || notOkKeys.contains("TransformValid"));
    for (IgtlToolPose& tool : message.tools) {
        if (singlePoseNotOk || notOkKeys.contains(tool.name + "Status"))
            tool.valid = false;
        if (!tool.toolToTracker.allFinite() || !Pose::isRigid(tool.toolToTracker, rigidTolerance))
            tool.valid = false;
    }
}

struct Version2Parts
{
    std::span<const std::uint8_t> content;
    IgtlMetadata metadata;
};

std::optional<Version2Parts> splitVersion2(std::span<const std::uint8_t> body,
                                           IgtlMessageReader::Outcome& failure)
{
    if (body.size() < IgtlMessageWriter::extendedHeaderSize) {
        failure = problem(IgtlMessageReader::Problem::TruncatedBody,
                          fmt::format("The body of {} bytes cannot hold the extended header.", body.size()));
        return std::nullopt;
    }
    const std::size_t extendedSize = BigEndian::read<std::uint16_t>(body.data());
    const std::size_t metadataHeaderSize = BigEndian::read<std::uint16_t>(body.data() + 2);
    const std::size_t metadataSize = BigEndian::read<std::uint32_t>(body.data() + 4);
    if (extendedSize < IgtlMessageWriter::extendedHeaderSize ||
        extendedSize + metadataHeaderSize + metadataSize > body.size()) {
        failure = problem(IgtlMessageReader::Problem::TruncatedBody,
                          fmt::format("The extended header claims {} + {} + {} bytes of a body of {}.",
                                      extendedSize, metadataHeaderSize, metadataSize, body.size()));
        return std::nullopt;
    }
    Version2Parts parts;
    const std::size_t contentEnd = body.size() - metadataHeaderSize - metadataSize;
    parts.content = body.subspan(extendedSize, contentEnd - extendedSize);
    const auto metadataHeader = body.subspan(contentEnd, metadataHeaderSize);
    auto metadata = body.subspan(contentEnd + metadataHeaderSize);
    if (metadataHeaderSize == 0)
        return parts;
    const std::size_t count =
        metadataHeaderSize >= 2 ? BigEndian::read<std::uint16_t>(metadataHeader.data()) : 0;
    if (metadataHeaderSize != 2 + 8 * count) {
        failure = problem(IgtlMessageReader::Problem::MalformedBody,
                          fmt::format("The metadata header of {} bytes does not fit its {} entries.",
                                      metadataHeaderSize, count));
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = metadataHeader.data() + 2 + 8 * i;
        const std::size_t keySize = BigEndian::read<std::uint16_t>(entry);
        const std::size_t valueSize = BigEndian::read<std::uint32_t>(entry + 4);
        if (keySize + valueSize > metadata.size()) {
            failure = problem(IgtlMessageReader::Problem::MalformedBody,
                              fmt::format("Metadata entry {} runs past the end of the body.", i));
            return std::nullopt;
        }
        const auto* text = reinterpret_cast<const char*>(metadata.data());
        parts.metadata.emplace_back(std::string(text, keySize), std::string(text + keySize, valueSize));
        metadata = metadata.subspan(keySize + valueSize);
    }
    return parts;
}

}  // namespace

void IgtlMessageReader::append(std::span<const std::uint8_t> bytes)
{
    if (m_skipRemaining > 0) {
        const auto skipped = static_cast<std::size_t>(std::min<std::uint64_t>(m_skipRemaining, bytes.size()));
        m_skipRemaining -= skipped;
        bytes = bytes.subspan(skipped);
    }
    // Drop what next() has read: a stream whose pieces seldom end on a message boundary would otherwise
    // keep every byte it ever sent.
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
    m_start = 0;
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

void IgtlMessageReader::clear()
{
    m_buffer.clear();
    m_start = 0;
    m_skipRemaining = 0;
}

std::optional<IgtlMessageReader::Outcome> IgtlMessageReader::next()
{
    if (m_skipRemaining > 0 || m_buffer.size() - m_start < headerSize)
        return std::nullopt;
    const std::uint8_t* header = m_buffer.data() + m_start;
    const HeaderFields fields = readHeader(header);
    if ((fields.version != 1 && fields.version != 2) || !isPrintable(fields.type) || fields.type.empty()) {
        clear();
        return problem(Problem::BadHeader,
                       fmt::format("A header of version {} and type \"{}\" is not an OpenIGTLink header.",
                                   fields.version, isPrintable(fields.type) ? fields.type : "?"));
    }
    const std::uint64_t limit = carriesPoses(fields.type) ? maxPoseBodySize : maxSkippedBodySize;
    if (fields.bodySize > limit) {
        clear();
        return problem(Problem::AbsurdSize,
                       fmt::format("A {} message claims a body of {} bytes (at most {}).", fields.type,
                                   fields.bodySize, limit));
    }
    if (!carriesPoses(fields.type))
        return skipUnknownBody();
    if (m_buffer.size() - m_start < headerSize + fields.bodySize)
        return std::nullopt;
    const std::span<const std::uint8_t> message(header, headerSize + fields.bodySize);
    m_start += message.size();
    return decode(message.first(headerSize), message.subspan(headerSize));
}

std::optional<IgtlMessageReader::Outcome> IgtlMessageReader::skipUnknownBody()
{
    const HeaderFields fields = readHeader(m_buffer.data() + m_start);
    m_start += headerSize;
    const std::uint64_t buffered = m_buffer.size() - m_start;
    const auto skipped = static_cast<std::size_t>(std::min(buffered, fields.bodySize));
    m_start += skipped;
    m_skipRemaining = fields.bodySize - skipped;
    return problem(Problem::UnknownType,
                   fmt::format("Messages of type {} carry no poses and are skipped.", fields.type));
}

IgtlMessageReader::Outcome IgtlMessageReader::decode(std::span<const std::uint8_t> header,
                                                     std::span<const std::uint8_t> body)
{
    const HeaderFields fields = readHeader(header.data());
    if (!carriesPoses(fields.type))
        return problem(Problem::UnknownType,
                       fmt::format("Messages of type {} carry no poses and are skipped.",
                                   isPrintable(fields.type) ? fields.type : "?"));
    if (IgtlMessageWriter::crc(body) != fields.crc)
        return problem(Problem::BadCrc, fmt::format("The {} message \"{}\" fails its CRC check.", fields.type,
                                                    fields.deviceName));
    IgtlMessage message;
    message.headerVersion = fields.version;
    message.type = fields.type;
    message.deviceName = fields.deviceName;
    if (fields.timestamp != 0)
        message.timestampSeconds = IgtlMessageWriter::secondsFromTimestamp(fields.timestamp);
    std::span<const std::uint8_t> content = body;
    if (fields.version == 2) {
        Outcome failure;
        auto parts = splitVersion2(body, failure);
        if (!parts)
            return failure;
        content = parts->content;
        message.metadata = std::move(parts->metadata);
    }
    if (content.size() < smallestContent(fields.type))
        return problem(Problem::TruncatedBody, fmt::format("The {} message \"{}\" has {} bytes of content.",
                                                           fields.type, fields.deviceName, content.size()));
    if (!contentSizeFits(fields.type, content.size()))
        return problem(Problem::MalformedBody, fmt::format("A {} message cannot hold {} bytes of content.",
                                                           fields.type, content.size()));
    auto tools = fields.type == "TRANSFORM"  ? transformTools(fields, content)
                 : fields.type == "POSITION" ? positionTools(fields, content)
                 : fields.type == "TDATA"    ? trackingDataTools(fields, content)
                                             : quaternionTrackingDataTools(fields, content);
    if (!tools)
        return problem(Problem::MalformedBody, fmt::format("The {} message \"{}\" could not be decoded.",
                                                           fields.type, fields.deviceName));
    message.tools = std::move(*tools);
    applyStatus(message);
    return {Problem::None, {}, std::move(message)};
}

const char* IgtlMessageReader::problemName(Problem kind)
{
    switch (kind) {
        case Problem::None:
            return "none";
        case Problem::BadHeader:
            return "bad header";
        case Problem::AbsurdSize:
            return "absurd size";
        case Problem::BadCrc:
            return "bad CRC";
        case Problem::TruncatedBody:
            return "truncated body";
        case Problem::MalformedBody:
            return "malformed body";
        case Problem::UnknownType:
            return "unknown type";
    }
    return "unknown problem";
}

}  // namespace Tesselon
