#include "host/stream/igtl/IgtlTrackingServer.h"

#include "host/stream/igtl/IgtlClientSocket.h"
#include "host/stream/igtl/IgtlMessageReader.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>
#include <igtlClientSocket.h>
#include <igtlMessageHeader.h>
#include <igtlTrackingDataMessage.h>
#include <igtlTransformMessage.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace Tesselon {
namespace {

namespace Support = Tesselon::Test;

const Eigen::Matrix4d needleToTracker = Support::pose({1, 0, 1}, 40.0, {3.0, 4.0, 150.0});

std::size_t openDescriptors()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator()));
}

/// A bare loopback client; a small receive buffer makes one that never reads stall soon.
int rawClient(int port, int receiveBuffer = 0)
{
    const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const sockaddr_in address{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return descriptor;
}

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

TEST_F(IgtlTrackingServerTest, ClientsThatLeaveStallOrSendGarbageCostTheOthersNoSample)
{
    serve({});
    auto reading = connectClient(1);
    connectClient(2).reset();
    const int stalled = rawClient(m_server->port(), 4096);
    const int garbage = rawClient(m_server->port());
    const std::vector<char> junk(3 << 20, '\x5a');
    ::send(garbage, junk.data(), junk.size(), MSG_DONTWAIT);
    ASSERT_TRUE(Support::waitUntil([&] { return m_server->clientCount() == 3; })) << "the leaver is noticed";

    std::atomic<std::size_t> received = 0;
    std::thread reader([&] {
        while (reading->receive().first == "Needle")
            ++received;
    });
    std::size_t sent = 0;
    for (; m_server->clientCount() == 3 && sent < 500000; ++sent)
        m_stream.emitInstruments({Support::instrument("Needle", needleToTracker)});
    m_stream.emitInstruments({Support::instrument("Done", needleToTracker)});
    reader.join();
    EXPECT_EQ(m_server->clientCount(), 2u)
        << "the stalled client goes; the reader and the garbage sender stay";
    EXPECT_EQ(received, sent) << "the reader lost samples";
    ::close(stalled);
    ::close(garbage);
}

TEST_F(IgtlTrackingServerTest, AClientTooManyIsTurnedAwayAndClientsComingAndGoingLeaveNoDescriptor)
{
    Support::LogCapture log;
    serve({});
    // Every descriptor taken but the one the client takes: the server has none to accept it with.
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &original), 0);
    const rlimit lowered{openDescriptors() + 16, original.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> fillers;
    for (int descriptor; (descriptor = ::open("/dev/null", O_RDONLY)) >= 0;)
        fillers.push_back(descriptor);
    ::close(fillers.back());
    fillers.pop_back();
    const int client = rawClient(m_server->port());
    const timeval timeout{5, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char byte;
    EXPECT_EQ(::recv(client, &byte, 1, 0), 0) << "the server hangs up";
    for (const int descriptor : fillers)
        ::close(descriptor);
    ::close(client);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &original), 0);
    EXPECT_TRUE(log->contains("no file descriptors left"));

    const std::size_t before = openDescriptors();
    for (int i = 0; i < 500; ++i)
        ::close(rawClient(m_server->port()));
    auto reconnecting = IgtlClientSocket::New();
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(reconnecting->connectWithin("127.0.0.1", m_server->port(), std::chrono::seconds(5)));
    reconnecting = nullptr;
    // No sample flows: the server notices the hang-ups by itself.
    ASSERT_TRUE(Support::waitUntil([&] { return log->count("An OpenIGTLink client disconnected.") == 600; }));
    EXPECT_LE(openDescriptors(), before + 2);
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
