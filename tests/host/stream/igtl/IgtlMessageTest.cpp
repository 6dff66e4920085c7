#include "host/stream/igtl/BigEndian.h"
#include "host/stream/igtl/IgtlMessageReader.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>
#include <igtlPositionMessage.h>
#include <igtlQuaternionTrackingDataMessage.h>
#include <igtlStringMessage.h>

#include <Eigen/Geometry>

namespace Tesselon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Problem = IgtlMessageReader::Problem;

const Eigen::Matrix4d needleToTracker = Test::pose({1, 2, 3}, 35.0, {10.5, -20.25, 300.0});

Bytes packed(igtl::MessageBase& message)
{
    message.Pack();
    const auto* first = static_cast<const std::uint8_t*>(message.GetPackPointer());
    return {first, first + message.GetPackSize()};
}

// What a peer built on the OpenIGTLink library sends: QTDATA and POSITION, which we only read.
Bytes libraryQuaternionTrackingData(const Eigen::Matrix4d& pose)
{
    auto message = igtl::QuaternionTrackingDataMessage::New();
    message->SetDeviceName("Tracker");
    const Eigen::Quaternionf rotation(pose.topLeftCorner<3, 3>().cast<float>());
    for (const char* name : {"Reference", "Stylus"}) {
        auto element = igtl::QuaternionTrackingDataElement::New();
        element->SetName(name);
        element->SetPosition(static_cast<float>(pose(0, 3)), static_cast<float>(pose(1, 3)),
                             static_cast<float>(pose(2, 3)));
        element->SetQuaternion(rotation.x(), rotation.y(), rotation.z(), rotation.w());
        message->AddQuaternionTrackingDataElement(element);
    }
    return packed(*message);
}

Bytes libraryPosition(const Eigen::Matrix4d& pose)
{
    auto message = igtl::PositionMessage::New();
    message->SetDeviceName("Probe");
    const Eigen::Quaternionf rotation(pose.topLeftCorner<3, 3>().cast<float>());
    message->SetPosition(static_cast<float>(pose(0, 3)), static_cast<float>(pose(1, 3)),
                         static_cast<float>(pose(2, 3)));
    message->SetQuaternion(rotation.x(), rotation.y(), rotation.z(), rotation.w());
    return packed(*message);
}

std::vector<IgtlMessageReader::Outcome> readAll(const Bytes& bytes, std::size_t chunk = 1 << 20)
{
    IgtlMessageReader reader;
    std::vector<IgtlMessageReader::Outcome> outcomes;
    for (std::size_t offset = 0; offset < bytes.size(); offset += chunk) {
        reader.append(std::span(bytes).subspan(offset, std::min(chunk, bytes.size() - offset)));
        while (auto outcome = reader.next())
            outcomes.push_back(std::move(*outcome));
    }
    return outcomes;
}

IgtlMessage readOne(const Bytes& bytes)
{
    const auto outcomes = readAll(bytes);
    EXPECT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes.at(0).problem, Problem::None) << outcomes.at(0).detail;
    return outcomes.at(0).message.value_or(IgtlMessage{});
}

// A message with a valid header (size and CRC) around any body.
Bytes withHeader(std::uint16_t version, const char* type, Bytes body)
{
    const auto header = IgtlMessageWriter::header(version, type, "Device", 0, body);
    body.insert(body.begin(), header.begin(), header.end());
    return body;
}

Bytes concatenated(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(IgtlMessageWriter, TransformMatchesTheWireFormatByteForByte)
{
    const Bytes bytes = IgtlMessageWriter::transform("Needle", Tesselon::Test::translation(1, 2, 3), 1.5);
    ASSERT_EQ(bytes.size(), 58u + 48u);
    const Bytes header(bytes.begin(), bytes.begin() + 42);
    Bytes expected = {0x00, 0x01, 'T', 'R', 'A', 'N', 'S', 'F', 'O', 'R',
                      'M',  0,    0,   0,   'N', 'e', 'e', 'd', 'l', 'e'};
    expected.resize(34, 0);
    expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00});
    EXPECT_EQ(header, expected);
    EXPECT_EQ(BigEndian::read<std::uint64_t>(bytes.data() + 42), 48u);
    EXPECT_EQ(BigEndian::read<std::uint64_t>(bytes.data() + 50),
              IgtlMessageWriter::crc(std::span(bytes).subspan(58)));
    // Rotation column by column, then the translation, as big-endian floats.
    const std::vector<float> body = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 2, 3};
    for (std::size_t i = 0; i < body.size(); ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &body[i], sizeof bits);
        EXPECT_EQ(BigEndian::read<std::uint32_t>(bytes.data() + 58 + 4 * i), bits) << "float " << i;
    }
}

TEST(IgtlMessageWriter, Version2FramingWrapsTheContentWithItsMetadata)
{
    const Bytes version1 = IgtlMessageWriter::transform("Needle", Tesselon::Test::translation(1, 2, 3), 1.5);
    const Bytes bytes = IgtlMessageWriter::toVersion2(version1, {{"TransformStatus", "OK"}}, 7);
    const std::size_t metadataHeaderSize = 2 + 8;
    const std::size_t metadataSize = std::string("TransformStatusOK").size();
    ASSERT_EQ(bytes.size(), 58 + 12 + 48 + metadataHeaderSize + metadataSize);
    EXPECT_EQ(BigEndian::read<std::uint16_t>(bytes.data()), 2);
    EXPECT_EQ(BigEndian::read<std::uint64_t>(bytes.data() + 42), bytes.size() - 58);
    EXPECT_EQ(BigEndian::read<std::uint16_t>(bytes.data() + 58), 12);
    EXPECT_EQ(BigEndian::read<std::uint16_t>(bytes.data() + 60), metadataHeaderSize);
    EXPECT_EQ(BigEndian::read<std::uint32_t>(bytes.data() + 62), metadataSize);
    EXPECT_EQ(BigEndian::read<std::uint32_t>(bytes.data() + 66), 7u);
    EXPECT_TRUE(std::equal(version1.begin() + 58, version1.end(), bytes.begin() + 70));
    EXPECT_EQ(std::string(bytes.end() - static_cast<long>(metadataSize), bytes.end()), "TransformStatusOK");
}

TEST(IgtlMessageWriter, CrcIsTheEcma182CheckValue)
{
    const std::string check = "123456789";
    EXPECT_EQ(IgtlMessageWriter::crc({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}),
              0x6c40df5f0b497347u);
}

TEST(IgtlMessageWriter, TimestampsKeepTheirFractionOnTheWire)
{
    for (double seconds : {0.25, 1.5, 1234567.000244140625, 4294967295.5})
        EXPECT_EQ(IgtlMessageWriter::secondsFromTimestamp(IgtlMessageWriter::timestampFromSeconds(seconds)),
                  seconds);
    EXPECT_EQ(IgtlMessageWriter::timestampFromSeconds(-1.0), 0u);
    EXPECT_EQ(IgtlMessageWriter::timestampFromSeconds(std::nan("")), 0u);
}

class IgtlMessageReaderVersions : public testing::TestWithParam<int>
{
protected:
    Bytes framed(const Bytes& version1, const IgtlMetadata& metadata = {}) const
    {
        return GetParam() == 1 ? version1 : IgtlMessageWriter::toVersion2(version1, metadata);
    }
};

TEST_P(IgtlMessageReaderVersions, EveryPoseTypeDecodesToTheSentPoses)
{
    const IgtlMessage transform =
        readOne(framed(IgtlMessageWriter::transform("Needle", needleToTracker, 12.75)));
    EXPECT_EQ(transform.headerVersion, GetParam());
    EXPECT_EQ(transform.type, "TRANSFORM");
    EXPECT_EQ(transform.timestampSeconds, 12.75);

    const Eigen::Matrix4d referenceToTracker = Tesselon::Test::translation(1, 2, 3);
    const std::vector<IgtlToolPose> sent = {{"Reference", referenceToTracker, true},
                                            {"Stylus", needleToTracker, true}};
    const std::pair<Bytes, std::vector<IgtlToolPose>> cases[] = {
        {IgtlMessageWriter::transform("Needle", needleToTracker, 12.75), {{"Needle", needleToTracker, true}}},
        {IgtlMessageWriter::trackingData("Tracker", sent, 3.0), sent},
        {libraryQuaternionTrackingData(needleToTracker),
         {{"Reference", needleToTracker, true}, {"Stylus", needleToTracker, true}}},
        {libraryPosition(needleToTracker), {{"Probe", needleToTracker, true}}}};
    for (const auto& [bytes, expected] : cases) {
        const IgtlMessage message = readOne(framed(bytes));
        ASSERT_EQ(message.tools.size(), expected.size()) << message.type;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(message.tools[i].name, expected[i].name);
            EXPECT_TRUE(message.tools[i].toolToTracker.isApprox(expected[i].toolToTracker, 1e-4))
                << message.type << " " << expected[i].name;
        }
    }
}

TEST_P(IgtlMessageReaderVersions, MessagesSplitAnywhereAndUnknownTypesBetweenThemAreFollowed)
{
    auto text = igtl::StringMessage::New();
    text->SetDeviceName("Notes");
    text->SetString("a status line that carries no pose");
    const Bytes stream =
        concatenated({framed(IgtlMessageWriter::transform("A", needleToTracker, 1.0)), framed(packed(*text)),
                      framed(IgtlMessageWriter::transform("B", needleToTracker, 2.0))});
    for (std::size_t chunk : {1, 7, 58, 1000}) {
        const auto outcomes = readAll(stream, chunk);
        ASSERT_EQ(outcomes.size(), 3u) << "chunks of " << chunk;
        EXPECT_EQ(outcomes[0].message->deviceName, "A");
        EXPECT_EQ(outcomes[1].problem, Problem::UnknownType);
        EXPECT_EQ(outcomes[2].message->deviceName, "B");
    }
}

INSTANTIATE_TEST_SUITE_P(HeaderVersion, IgtlMessageReaderVersions, testing::Values(1, 2));

TEST(IgtlMessageReader, StatusMetadataAndUnusablePosesMarkToolsInvalid)
{
    const Bytes transform = IgtlMessageWriter::transform("Needle", needleToTracker, 1.0);
    for (const auto& [key, value, valid] :
         std::vector<std::tuple<std::string, std::string, bool>>{{"TransformStatus", "OK", true},
                                                                 {"TransformStatus", "INVALID", false},
                                                                 {"TransformValid", "false", false},
                                                                 {"TransformValid", "true", true},
                                                                 {"NeedleStatus", "MISSING", false},
                                                                 {"OtherStatus", "MISSING", true}})
        EXPECT_EQ(readOne(IgtlMessageWriter::toVersion2(transform, {{key, value}})).tools.at(0).valid, valid)
            << key << "=" << value;

    const std::vector<IgtlToolPose> tools = {{"Reference", needleToTracker, true},
                                             {"Stylus", needleToTracker, true}};
    const IgtlMessage tracking = readOne(IgtlMessageWriter::toVersion2(
        IgtlMessageWriter::trackingData("Tracker", tools, 1.0), {{"StylusStatus", "OUT_OF_VIEW"}}));
    EXPECT_TRUE(tracking.tools.at(0).valid);
    EXPECT_FALSE(tracking.tools.at(1).valid);

    Eigen::Matrix4d scaled = needleToTracker;
    scaled.topLeftCorner<3, 3>() *= 2.0;
    EXPECT_FALSE(readOne(IgtlMessageWriter::transform("Needle", scaled, 1.0)).tools.at(0).valid);
    Eigen::Matrix4d notFinite = needleToTracker;
    notFinite(0, 3) = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(readOne(IgtlMessageWriter::transform("Needle", notFinite, 1.0)).tools.at(0).valid);
}

TEST(IgtlMessageReader, StatusEntriesAmongThousandsOfToolsMarkOnlyTheToolsTheyName)
{
    const int toolCount = 4000;
    std::vector<IgtlToolPose> tools;
    IgtlMetadata metadata = {{"TransformStatus", "INVALID"}};  // concerns single-pose messages only
    for (int i = 0; i < toolCount; ++i) {
        const std::string name = "Tool" + std::to_string(i);
        tools.push_back({name, needleToTracker, true});
        metadata.emplace_back(name + "Status", i % 7 == 0 ? "MISSING" : "OK");
    }
    const IgtlMessage message = readOne(
        IgtlMessageWriter::toVersion2(IgtlMessageWriter::trackingData("Tracker", tools, 1.0), metadata));
    ASSERT_EQ(message.tools.size(), tools.size());
    for (int i = 0; i < toolCount; ++i)
        ASSERT_EQ(message.tools[i].valid, i % 7 != 0) << message.tools[i].name;
}

TEST(IgtlMessageReader, MemoryStaysWithinAMessageWhenPiecesNeverEndOnABoundary)
{
    const Bytes message = IgtlMessageWriter::transform("Needle", needleToTracker, 1.0);
    Bytes stream;
    for (int i = 0; i < 300; ++i)
        stream.insert(stream.end(), message.begin(), message.end());
    // One byte short of a message: piece and message ends meet only every 105 messages.
    const std::size_t piece = message.size() - 1;
    IgtlMessageReader reader;
    std::size_t read = 0;
    for (std::size_t offset = 0; offset < stream.size(); offset += piece) {
        reader.append(std::span(stream).subspan(offset, std::min(piece, stream.size() - offset)));
        ASSERT_LE(reader.heldBytes(), message.size() + piece) << "after " << read << " messages";
        while (auto outcome = reader.next())
            read += outcome->message ? 1 : 0;
    }
    EXPECT_EQ(read, 300u);
}

TEST(IgtlMessageReader, DamagedMessagesAreReportedAndTheNextOneStillArrives)
{
    const Bytes good = IgtlMessageWriter::transform("Good", needleToTracker, 1.0);
    Bytes badCrc = good;
    badCrc.back() ^= 0x01;
    const Bytes shortTransform = withHeader(1, "TRANSFORM", Bytes(40, 0));
    const Bytes unevenTracking = withHeader(1, "TDATA", Bytes(71, 0));
    Bytes lyingBody = IgtlMessageWriter::toVersion2(good, {{"k", "v"}});
    lyingBody.erase(lyingBody.begin(), lyingBody.begin() + 58);
    lyingBody[5] = 0xff;  // metadata size far beyond the body
    const Bytes lyingExtendedHeader = withHeader(2, "TRANSFORM", lyingBody);

    const auto outcomes =
        readAll(concatenated({badCrc, good, shortTransform, unevenTracking, lyingExtendedHeader, good}));
    std::vector<Problem> problems;
    for (const auto& outcome : outcomes)
        problems.push_back(outcome.problem);
    EXPECT_EQ(problems,
              (std::vector<Problem>{Problem::BadCrc, Problem::None, Problem::TruncatedBody,
                                    Problem::MalformedBody, Problem::TruncatedBody, Problem::None}));
}

TEST(IgtlMessageReader, AGarbledHeaderOrAbsurdSizeDropsWhatIsBuffered)
{
    Bytes garbled = IgtlMessageWriter::transform("Good", needleToTracker, 1.0);
    garbled[1] = 9;
    Bytes huge = IgtlMessageWriter::transform("Huge", needleToTracker, 1.0);
    huge[42] = 0x7f;

    for (const auto& [bytes, expected] :
         std::vector<std::pair<Bytes, Problem>>{{garbled, Problem::BadHeader}, {huge, Problem::AbsurdSize}}) {
        IgtlMessageReader reader;
        reader.append(concatenated({bytes, IgtlMessageWriter::transform("After", needleToTracker, 1.0)}));
        const auto outcome = reader.next();
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->problem, expected);
        EXPECT_FALSE(reader.isMidMessage());
        EXPECT_FALSE(reader.next());
    }
}

}  // namespace
}  // namespace Tesselon
