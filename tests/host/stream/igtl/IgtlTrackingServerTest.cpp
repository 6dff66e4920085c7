#include "host/stream/igtl/IgtlTrackingServer.h"

#include "host/stream/igtl/IgtlMessageReader.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>
#include <igtlClientSocket.h>
#include <igtlMessageHeader.h>
#include <igtlTrackingDataMessage.h>
#include <igtlTransformMessage.h>

namespace Tesselon {
namespace {

namespace Support = Tesselon::Test;

const Eigen::Matrix4d needleToTracker = Support::pose({1, 0, 1}, 40.0, {3.0, 4.0, 150.0});

TrackingInstrument hidden(const std::string& id)
{
    TrackingInstrument instrument = Support::instrument(id, Eigen::Matrix4d::Identity(), 0.0);
    instrument.visible = false;
    return instrument;
}

/// A peer built on the OpenIGTLink library, reading as 3D viewers do: header, then the body by type.
class LibraryClient
{
public:
    explicit LibraryClient(int port) : m_socket(igtl::ClientSocket::New())
    {
        EXPECT_EQ(m_socket->ConnectToServer("127.0.0.1", port), 0);
        m_socket->SetReceiveTimeout(5000);
    }

    /// The next message's device name and its poses (TRANSFORM or TDATA).
    std::pair<std::string, std::vector<IgtlToolPose>> receive()
    {
        auto header = igtl::MessageHeader::New();
        header->InitPack();
        if (m_socket->Receive(header->GetPackPointer(), header->GetPackSize()) != header->GetPackSize())
            return {};
        header->Unpack();
        if (std::string(header->GetDeviceType()) == "TRANSFORM") {
            auto message = igtl::TransformMessage::New();
            unpack(*message, header);
            igtl::Matrix4x4 matrix;
            message->GetMatrix(matrix);
            return {message->GetDeviceName(), {{message->GetDeviceName(), toEigen(matrix), true}}};
        }
        auto message = igtl::TrackingDataMessage::New();
        unpack(*message, header);
        std::vector<IgtlToolPose> tools;
        for (int i = 0; i < message->GetNumberOfTrackingDataElements(); ++i) {
            igtl::TrackingDataElement::Pointer element;
            message->GetTrackingDataElement(i, element);
            igtl::Matrix4x4 matrix;
            element->GetMatrix(matrix);
            tools.push_back({element->GetName(), toEigen(matrix), true});
        }
        return {message->GetDeviceName(), tools};
    }

private:
    void unpack(igtl::MessageBase& message, igtl::MessageHeader::Pointer& header)
    {
        message.SetMessageHeader(header);
        message.AllocatePack();
        m_socket->Receive(message.GetPackBodyPointer(), message.GetPackBodySize());
        EXPECT_TRUE(message.Unpack(1) & igtl::MessageHeader::UNPACK_BODY) << "CRC or body rejected";
    }

    static Eigen::Matrix4d toEigen(const igtl::Matrix4x4 matrix)
    {
        Eigen::Matrix4d pose;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                pose(row, column) = matrix[row][column];
        return pose;
    }

    igtl::ClientSocket::Pointer m_socket;
};

class IgtlTrackingServerTest : public testing::Test
{
protected:
    void serve(IgtlTrackingServer::Options options)
    {
        options.port = 0;
        m_server = std::make_unique<IgtlTrackingServer>(m_stream, std::move(options));
        ASSERT_TRUE(m_server->start());
    }

    std::unique_ptr<LibraryClient> connectClient(std::size_t expectedClients = 1)
    {
        auto client = std::make_unique<LibraryClient>(m_server->port());
        EXPECT_TRUE(Support::waitUntil([&] { return m_server->clientCount() == expectedClients; }));
        return client;
    }

    Support::ManualTrackingStream m_stream;
    std::unique_ptr<IgtlTrackingServer> m_server;
};

TEST_F(IgtlTrackingServerTest, LibraryClientsReadOneTransformPerSeenInstrumentUnderItsConfiguredName)
{
    serve({.deviceNames = {{"Needle", "NeedleTipToReference"}}});
    auto first = connectClient(1);
    auto second = connectClient(2);
    m_stream.emitInstruments({Support::instrument("Needle", needleToTracker), hidden("Reference"),
                              Support::instrument("Probe", Support::translation(1, 2, 3))});
    for (LibraryClient* client : {first.get(), second.get()}) {
        const auto [needleName, needle] = client->receive();
        EXPECT_EQ(needleName, "NeedleTipToReference");
        EXPECT_TRUE(needle.at(0).toolToTracker.isApprox(needleToTracker, 1e-5));
        EXPECT_EQ(client->receive().first, "Probe");
    }
    EXPECT_EQ(m_server->messagesSent(), 4u);
}

TEST_F(IgtlTrackingServerTest, TrackingDataGathersASampleIntoOneMessage)
{
    serve({.format = IgtlTrackingServer::Format::TrackingData, .trackingDataName = "Navigation"});
    auto client = connectClient();
    m_stream.emitInstruments({Support::instrument("Needle", needleToTracker), hidden("Reference"),
                              Support::instrument("Probe", Support::translation(1, 2, 3))});
    const auto [name, tools] = client->receive();
    EXPECT_EQ(name, "Navigation");
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_EQ(tools[0].name, "Needle");
    EXPECT_TRUE(tools[1].toolToTracker.isApprox(Support::translation(1, 2, 3)));
}

TEST_F(IgtlTrackingServerTest, Version2SendsUnseenInstrumentsWithAnInvalidStatus)
{
    serve({.headerVersion = 2});
    TrackingInstrument needle = Support::instrument("Needle", needleToTracker);
    needle.timestamp = DeviceTime(1500);
    const auto messages = m_server->encode({needle, hidden("Reference")});
    ASSERT_EQ(messages.size(), 2u);
    std::vector<IgtlMessage> decoded;
    for (const auto& bytes : messages) {
        const auto outcome =
            IgtlMessageReader::decode(std::span(bytes).first(58), std::span(bytes).subspan(58));
        ASSERT_TRUE(outcome.message) << outcome.detail;
        decoded.push_back(*outcome.message);
    }
    EXPECT_EQ(decoded[0].headerVersion, 2);
    EXPECT_EQ(decoded[0].timestampSeconds, 1.5);
    EXPECT_TRUE(decoded[0].tools.at(0).valid);
    EXPECT_EQ(decoded[1].timestampSeconds, std::nullopt) << "an instrument without a time sends none";
    EXPECT_EQ(decoded[1].metadata, (IgtlMetadata{{"TransformStatus", "INVALID"}}));
    EXPECT_FALSE(decoded[1].tools.at(0).valid);
}

TEST_F(IgtlTrackingServerTest, AClientThatLeavesIsDroppedAndTheOthersStillServed)
{
    serve({});
    auto staying = connectClient(1);
    auto leaving = connectClient(2);
    leaving.reset();
    // The first send after the peer closed may still succeed; a later one fails and drops it.
    ASSERT_TRUE(Support::waitUntil([&] {
        m_stream.emitInstruments({Support::instrument("Needle", needleToTracker)});
        return m_server->clientCount() == 1;
    }));
    EXPECT_EQ(staying->receive().first, "Needle");
}

TEST(IgtlTrackingServer, ABusyPortIsRefusedWithoutThrowing)
{
    Support::ManualTrackingStream stream;
    IgtlTrackingServer first(stream, {.port = 0});
    ASSERT_TRUE(first.start());
    IgtlTrackingServer second(stream, {.port = first.port()});
    EXPECT_FALSE(second.start());
    EXPECT_FALSE(second.isRunning());
}

}  // namespace
}  // namespace Tesselon
