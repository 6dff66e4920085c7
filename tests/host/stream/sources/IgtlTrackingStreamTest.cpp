#include "host/stream/sources/IgtlTrackingStream.h"

#include "host/core/config/Properties.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "tests/support/IgtlTestServer.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>
#include <igtlQuaternionTrackingDataMessage.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

using Connection = IgtlTrackingStream::Connection;
using Problem = IgtlMessageReader::Problem;

const Eigen::Matrix4d stylusToTracker = pose({0, 1, 1}, 25.0, {12.0, -40.0, 250.0});

class IgtlTrackingStreamTest : public testing::Test
{
protected:
    void connect(double toolTimeout = 0.5)
    {
        // Unconfigured, it reaches for the port every OpenIGTLink peer assumes.
        EXPECT_EQ(m_stream.parameter("port")->text(), "18944");
        Properties configuration;
        configuration.setParam("host", std::string("127.0.0.1"));
        configuration.setParam("port", m_server->port());
        configuration.setParam("toolTimeout", toolTimeout);
        m_stream.configure(&configuration);
        ASSERT_TRUE(m_stream.open() && m_stream.start());
        ASSERT_TRUE(waitUntil([&] { return m_server->clientCount() == 1; }));
    }

    /// Sends and waits until the stream has emitted that many more samples.
    void sendAndWait(const std::vector<std::uint8_t>& bytes, std::size_t samples = 1)
    {
        const std::size_t before = m_samples.count();
        m_server->send(bytes);
        ASSERT_TRUE(waitUntil([&] { return m_samples.count() >= before + samples; }));
    }

    std::optional<TrackingInstrument> latest(const std::string& id) const
    {
        const auto sample = m_samples.last();
        return sample ? sample->instrument(id) : std::nullopt;
    }

    std::unique_ptr<IgtlTestServer> m_server = std::make_unique<IgtlTestServer>();
    IgtlTrackingStream m_stream;
    SampleRecorder m_samples{m_stream};
};

TEST_F(IgtlTrackingStreamTest, PosesOfEveryMessageTypeBecomeInstrumentsWithTheirDeviceTime)
{
    connect();
    sendAndWait(IgtlMessageWriter::transform("Needle", stylusToTracker, 100.25));
    sendAndWait(IgtlMessageWriter::toVersion2(
        IgtlMessageWriter::trackingData(
            "Tracker", {{"Reference", translation(1, 2, 3), true}, {"Stylus", stylusToTracker, true}}, 101.5),
        {{"StylusStatus", "OK"}, {"ReferenceStatus", "OUT_OF_VIEW"}}));

    auto quaternions = igtl::QuaternionTrackingDataMessage::New();
    auto element = igtl::QuaternionTrackingDataElement::New();
    element->SetName("Probe");
    element->SetPosition(5.0f, 6.0f, 7.0f);
    element->SetQuaternion(0.0f, 0.0f, 0.0f, 1.0f);
    quaternions->AddQuaternionTrackingDataElement(element);
    quaternions->Pack();
    const auto* packed = static_cast<const std::uint8_t*>(quaternions->GetPackPointer());
    sendAndWait({packed, packed + quaternions->GetPackSize()});

    const auto sample = m_samples.last();
    ASSERT_EQ(sample->instruments().size(), 4u);
    const auto needle = sample->instrument("Needle");
    EXPECT_TRUE(needle->matrix.isApprox(stylusToTracker, 1e-5));
    EXPECT_EQ(needle->timestamp, DeviceTime(100250));
    EXPECT_TRUE(needle->visible);
    EXPECT_EQ(needle->quality, 1.0);
    EXPECT_EQ(sample->instrument("Stylus")->timestamp, DeviceTime(101500));
    EXPECT_TRUE(sample->instrument("Stylus")->visible);
    EXPECT_FALSE(sample->instrument("Reference")->visible);
    EXPECT_EQ(sample->instrument("Reference")->quality, 0.0);
    EXPECT_TRUE(sample->instrument("Probe")->matrix.isApprox(translation(5, 6, 7)));
    EXPECT_EQ(m_stream.instruments().size(), 4u);
}

TEST_F(IgtlTrackingStreamTest, EachFrameMakesOneSampleHoweverTheReadsCutIt)
{
    connect();
    const auto frame = [](double time) {
        std::vector<std::uint8_t> bytes;
        for (const char* tool : {"Reference", "Stylus", "Probe"}) {
            const auto message = IgtlMessageWriter::transform(tool, translation(time, 0, 0), time);
            bytes.insert(bytes.end(), message.begin(), message.end());
        }
        return bytes;
    };
    // One write, as a server sends a frame: all tools in one sample.
    sendAndWait(frame(1.0));

    // The next frame in pieces cut inside its messages, so they are read apart: still one sample.
    const auto cut = frame(2.0);
    const std::size_t piece = cut.size() / 3 + 20;
    for (std::size_t begin = 0; begin < cut.size(); begin += piece) {
        m_server->send({cut.begin() + begin, cut.begin() + std::min(begin + piece, cut.size())});
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(waitUntil([&] { return m_samples.count() >= 2; }));

    // Two frames in one write: the second tracking message must not swallow the first.
    const auto stylusOnly = [](double time) {
        return IgtlMessageWriter::trackingData("Tracker", {{"Stylus", translation(time, 0, 0), true}}, time);
    };
    std::vector<std::uint8_t> both = stylusOnly(3.0);
    const auto fourth = stylusOnly(4.0);
    both.insert(both.end(), fourth.begin(), fourth.end());
    sendAndWait(both, 2);

    const auto samples = m_samples.trackingSamples();
    ASSERT_EQ(samples.size(), 4u);
    for (int frameIndex : {0, 1})
        for (const TrackingInstrument& instrument : samples[frameIndex]->instruments())
            EXPECT_EQ(instrument.timestamp, DeviceTime(1000 * (frameIndex + 1))) << instrument.id.ID();
    EXPECT_EQ(samples[2]->instrument("Stylus")->timestamp, DeviceTime(3000));
    EXPECT_EQ(samples[3]->instrument("Stylus")->timestamp, DeviceTime(4000));
}

TEST_F(IgtlTrackingStreamTest, AToolThatStopsArrivingIsMarkedMissingNotFrozen)
{
    connect(0.1);
    const auto both = [](double time) {
        return IgtlMessageWriter::trackingData(
            "Tracker", {{"Reference", translation(0, 0, 0), true}, {"Stylus", stylusToTracker, true}}, time);
    };
    sendAndWait(both(1.0));
    // Only the reference keeps coming: the stylus turns missing once its timeout passes.
    ASSERT_TRUE(waitUntil([&] {
        sendAndWait(IgtlMessageWriter::transform("Reference", translation(0, 0, 0), 2.0));
        return !latest("Stylus")->visible;
    }));
    EXPECT_TRUE(latest("Reference")->visible);
    EXPECT_EQ(latest("Stylus")->quality, 0.0);

    // With the server silent, everything goes missing without a message to trigger it.
    ASSERT_TRUE(waitUntil([&] { return !latest("Reference")->visible; }));
    sendAndWait(both(3.0));
    EXPECT_TRUE(latest("Stylus")->visible);
}

TEST_F(IgtlTrackingStreamTest, AServerThatDiesAndComesBackIsReconnected)
{
    LogCapture log;
    std::vector<Connection> changes;
    std::mutex changesMutex;
    SignalReceiver receiver;
    m_stream.connectionChanged.connect(&receiver, [&](Connection connection) {
        std::lock_guard lock(changesMutex);
        changes.push_back(connection);
    });
    connect(0.1);
    sendAndWait(IgtlMessageWriter::transform("Needle", stylusToTracker, 1.0));

    const int port = m_server->port();
    m_server.reset();
    ASSERT_TRUE(waitUntil([&] { return m_stream.connection() != Connection::Connected; }));
    ASSERT_TRUE(waitUntil([&] { return !latest("Needle")->visible; }));
    EXPECT_EQ(m_stream.state(), Stream::Running);
    EXPECT_TRUE(log->contains("Lost the OpenIGTLink server"));

    m_server = std::make_unique<IgtlTestServer>(port);
    ASSERT_TRUE(waitUntil([&] { return m_server->clientCount() == 1; }));
    sendAndWait(IgtlMessageWriter::transform("Needle", stylusToTracker, 2.0));
    EXPECT_TRUE(latest("Needle")->visible);
    m_stream.stop();
    receiver.disconnectAll();
    std::lock_guard lock(changesMutex);
    ASSERT_GE(changes.size(), 4u);
    EXPECT_EQ(changes.front(), Connection::Connecting);
    EXPECT_EQ(changes[1], Connection::Connected);
    EXPECT_EQ(changes[changes.size() - 2], Connection::Connected);
    EXPECT_EQ(changes.back(), Connection::Disconnected);
}

TEST_F(IgtlTrackingStreamTest, DamagedMessagesAreLoggedOncePerKindAndSkipped)
{
    LogCapture log;
    connect();
    std::vector<std::uint8_t> badCrc = IgtlMessageWriter::transform("Needle", stylusToTracker, 1.0);
    badCrc.back() ^= 0xff;
    for (int i = 0; i < 3; ++i)
        m_server->send(badCrc);
    sendAndWait(IgtlMessageWriter::transform("Needle", stylusToTracker, 2.0));
    EXPECT_EQ(m_stream.problemCounts()[Problem::BadCrc], 3u);
    EXPECT_EQ(m_samples.count(), 1u);

    // A garbled header loses the message boundaries: the stream reconnects and carries on.
    std::vector<std::uint8_t> garbled = IgtlMessageWriter::transform("Needle", stylusToTracker, 3.0);
    garbled[0] = 0x7f;
    m_server->send(garbled);
    ASSERT_TRUE(waitUntil([&] { return m_server->clientCount() == 2; }));
    ASSERT_TRUE(waitUntil([&] { return m_stream.connection() == Connection::Connected; }));
    sendAndWait(IgtlMessageWriter::transform("Needle", stylusToTracker, 4.0));
    EXPECT_EQ(latest("Needle")->timestamp, DeviceTime(4000));

    const auto isBadCrc = [](const LogMessage& m) { return m.text.find("bad CRC") != std::string::npos; };
    EXPECT_EQ(std::ranges::count_if(log->messages(), isBadCrc), 1);
    EXPECT_TRUE(log->contains("bad header"));
}

}  // namespace
}  // namespace Tesselon
