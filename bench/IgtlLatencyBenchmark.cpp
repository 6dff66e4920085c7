// Loopback latency of the OpenIGTLink input: from a TDATA message leaving a server to the sample leaving
// our stream, and to a Kalman-smoothed stream's output, beside a plain client of the OpenIGTLink library
// receiving the same messages in the same run (header, body, CRC check and unpack). Each run streams
// 16 tools for 3 s; counters give the median and 99th percentile in microseconds and the messages lost.
#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Properties.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "host/stream/igtl/IgtlServerSocket.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"

#include <benchmark/benchmark.h>
#include <fmt/core.h>
#include <igtlMessageHeader.h>
#include <igtlTrackingDataMessage.h>

#include <Eigen/Geometry>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace Tesselon;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int toolCount = 16;
constexpr double runSeconds = 3.0;

/// Arrival times by message number; the number travels as the message's timestamp in milliseconds.
class Arrivals
{
public:
    explicit Arrivals(std::size_t messages) : m_times(messages) {}

    void note(std::optional<DeviceTime> timestamp)
    {
        if (!timestamp)
            return;
        const auto index = static_cast<std::size_t>(timestamp->count() - firstTimestampMs);
        if (index < m_times.size())
            m_times[index] = Clock::now();
    }

    /// Latencies in microseconds against the send times; messages that never arrived are counted.
    std::vector<double> latencies(const std::vector<Clock::time_point>& sent, std::size_t& lost) const
    {
        std::vector<double> result;
        lost = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (m_times[i] == Clock::time_point{}) {
                ++lost;
                continue;
            }
            result.push_back(std::chrono::duration<double, std::micro>(m_times[i] - sent[i]).count());
        }
        return result;
    }

    static constexpr DeviceTime::rep firstTimestampMs = 1000;

private:
    std::vector<Clock::time_point> m_times;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
    return values[index];
}

std::vector<IgtlToolPose> tools()
{
    std::vector<IgtlToolPose> result;
    for (int i = 0; i < toolCount; ++i) {
        Eigen::Matrix4d pose = Eigen::Matrix4d::Identity();
        pose.topLeftCorner<3, 3>() = Eigen::AngleAxisd(0.1 * i, Eigen::Vector3d::UnitZ()).toRotationMatrix();
        pose.topRightCorner<3, 1>() = Eigen::Vector3d(10.0 * i, 5.0, 200.0);
        result.push_back({"Tool" + std::to_string(i), pose, true});
    }
    return result;
}

/// A client of the bare library, as peers without our stream read: header, body, CRC check, unpack.
// Reads until the server closes the connection.
void receiveWithLibrary(int port, Arrivals& arrivals)
{
    auto socket = IgtlClientSocket::New();
    if (!socket->connectWithin("127.0.0.1", port, std::chrono::seconds(1)))
        return;
    auto header = igtl::MessageHeader::New();
    for (;;) {
        header->InitPack();
        if (socket->Receive(header->GetPackPointer(), header->GetPackSize()) != header->GetPackSize())
            return;
        header->Unpack();
        auto message = igtl::TrackingDataMessage::New();
        message->SetMessageHeader(header);
        message->AllocatePack();
        socket->Receive(message->GetPackBodyPointer(), message->GetPackBodySize());
        if (message->Unpack(1) & igtl::MessageHeader::UNPACK_BODY) {
            unsigned seconds = 0;
            unsigned fraction = 0;
            message->GetTimeStamp(&seconds, &fraction);
            const std::uint64_t timestamp = (std::uint64_t(seconds) << 32) | fraction;
            arrivals.note(
                DeviceTime(std::llround(IgtlMessageWriter::secondsFromTimestamp(timestamp) * 1000.0)));
        }
    }
}

void LoopbackLatency(benchmark::State& state)
{
    const double rate = static_cast<double>(state.range(0));
    const auto messages = static_cast<std::size_t>(rate * runSeconds);
    for (auto _ : state) {
        auto server = IgtlServerSocket::New();
        if (!server->listenOn(0)) {
            state.SkipWithError("cannot listen on loopback");
            return;
        }
        IgtlTrackingStream stream;
        Arrivals ours(messages), derived(messages), library(messages);
        SignalReceiver receiver;
        // Connected before the smoothed stream, so it notes each sample before smoothing runs.
        stream.newData.connect(&receiver, [&](std::shared_ptr<const StreamData> sample) {
            ours.note(sample->timestampDevice());
        });
        SmoothedTrackingStream smoothed(&stream);
        Properties configuration;
        configuration.setParam("host", std::string("127.0.0.1"));
        configuration.setParam("port", server->GetServerPort());
        stream.configure(&configuration);
        Properties smoothing;
        smoothing.setParam("smoothingMode", static_cast<int>(SmoothedTrackingStream::KalmanFilter));
        smoothed.configure(&smoothing);

        smoothed.newData.connect(&receiver, [&](std::shared_ptr<const StreamData> sample) {
            derived.note(sample->timestampDevice());
        });
        smoothed.start();
        stream.open();
        stream.start();
        std::thread libraryClient([&] { receiveWithLibrary(server->GetServerPort(), library); });

        std::vector<IgtlClientSocket::Pointer> clients;
        while (clients.size() < 2)
            if (auto client = server->acceptWithin(std::chrono::seconds(2)))
                clients.push_back(client);
            else
                break;

        const auto poses = tools();
        std::vector<Clock::time_point> sent(messages);
        const auto period =
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
        auto deadline = Clock::now();
        for (std::size_t i = 0; i < messages; ++i) {
            const auto milliseconds = Arrivals::firstTimestampMs + static_cast<DeviceTime::rep>(i);
            const double seconds = static_cast<double>(milliseconds) / 1000.0;
            const auto bytes = IgtlMessageWriter::trackingData("Tracker", poses, seconds);
            std::this_thread::sleep_until(deadline);
            deadline += period;
            sent[i] = Clock::now();
            // Alternate which client is served first, so neither gains the other's send time.
            for (std::size_t c = 0; c < clients.size(); ++c)
                clients[(i + c) % clients.size()]->Send(bytes.data(), static_cast<int>(bytes.size()));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (auto& client : clients)
            client->CloseSocket();
        libraryClient.join();
        stream.stop();
        receiver.disconnectAll();

        std::size_t lostOurs = 0, lostDerived = 0, lostLibrary = 0;
        const auto oursLatency = ours.latencies(sent, lostOurs);
        const auto derivedLatency = derived.latencies(sent, lostDerived);
        const auto libraryLatency = library.latencies(sent, lostLibrary);
        state.counters["stream_median_us"] = percentile(oursLatency, 0.5);
        state.counters["stream_p99_us"] = percentile(oursLatency, 0.99);
        state.counters["smoothed_median_us"] = percentile(derivedLatency, 0.5);
        state.counters["smoothed_p99_us"] = percentile(derivedLatency, 0.99);
        state.counters["library_median_us"] = percentile(libraryLatency, 0.5);
        state.counters["library_p99_us"] = percentile(libraryLatency, 0.99);
        state.counters["lost_stream"] = static_cast<double>(lostOurs);
        state.counters["lost_library"] = static_cast<double>(lostLibrary);
        state.counters["messages"] = static_cast<double>(messages);
    }
}

BENCHMARK(LoopbackLatency)->Arg(400)->Arg(1000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
