#pragma once

#include "host/core/config/Parameter.h"
#include "host/stream/StreamWorker.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "host/stream/igtl/IgtlMessageReader.h"

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace igtl {
class ClientSocket;
}

namespace Tesselon {

/// A tracking stream from an OpenIGTLink server, such as a tracker's network bridge or another navigation
/// program. TRANSFORM, TDATA, QTDATA and POSITION messages of either header version become samples: each
/// device or tool name is an instrument, the message's timestamp its device time. The messages of one
/// frame make one sample (a server sends one TRANSFORM per tool of a frame back to back, which the network
/// may cut anywhere): a frame ends when every tool of the previous frame has arrived, when a tool repeats,
/// or when the server falls quiet between messages. No pose is lost and none is given twice. Each sample
/// holds every tool seen so far; a tool not heard from for "toolTimeout" seconds, or marked invalid by its
/// status metadata, is present but not visible, with quality 0.
///
/// While running, the stream keeps its connection: it connects on start, reconnects with growing back-off
/// when the server goes away, and reports each change through `connectionChanged`; paused, it keeps the
/// connection but emits nothing. Damaged messages are skipped and logged once per kind of damage.
///
/// Parameters: "host", "port" (1-65535, `IgtlAddress::defaultPort` by default), "toolTimeout" (seconds, > 0).
/// Changes apply at the next connection attempt.
class IgtlTrackingStream : public TrackingStream
{
public:
    enum class Connection
    {
        Disconnected,
        Connecting,
        Connected
    };

    explicit IgtlTrackingStream(std::string name = "OpenIGTLink Tracker");

    std::vector<TrackingInstrument> instruments() const override;

    Connection connection() const { return m_connection; }
    static const char* connectionName(Connection connection);
    Signal<Connection> connectionChanged;

    /// How often each kind of damaged or unusable message arrived since the stream was created.
    std::map<IgtlMessageReader::Problem, std::size_t> problemCounts() const;
    std::size_t messagesReceived() const { return m_messagesReceived; }

protected:
    bool openImpl() override { return true; }
    bool startImpl() override;
    bool stopImpl() override;
    bool closeImpl() override;

private:
    using Clock = std::chrono::steady_clock;

    struct Settings
    {
        std::string host;
        int port = 0;
        Clock::duration toolTimeout{};
    };

    struct ToolState
    {
        std::string name;
        Eigen::Matrix4d toolToTracker = Eigen::Matrix4d::Identity();
        bool valid = false;
        DeviceTime timestamp{};
        Clock::time_point arrival{};
        bool reportedVisible = false;
    };

    Settings settings() const;
    void runWorker(const std::stop_token& token);
    /// False when a stop was requested meanwhile.
    bool waitBeforeReconnecting(const std::stop_token& token, Clock::duration delay,
                                const Settings& settings);
    void receiveUntilDisconnected(const std::stop_token& token, igtl::ClientSocket& socket,
                                  const Settings& settings);
    bool handle(const IgtlMessageReader::Outcome& outcome, const Settings& settings);
    /// Emits the sample the messages of this frame make, if any.
    void emitPending(const Settings& settings);
    void report(IgtlMessageReader::Problem problem, const std::string& detail);
    void update(const IgtlMessage& message);
    void emitSample(const Settings& settings);
    void emitIfToolsTimedOut(const Settings& settings);
    std::vector<TrackingInstrument> instrumentsAt(Clock::time_point now, const Settings& settings);
    void setConnection(Connection connection);

    Parameter<std::string> m_host{"host", "localhost", this};
    Parameter<int> m_port{"port", IgtlAddress::defaultPort, this};
    Parameter<double> m_toolTimeout{"toolTimeout", 0.5, this};

    // Worker thread only.
    IgtlMessageReader m_reader;
    std::set<std::string> m_pendingTools;
    std::set<std::string> m_frameTools;  ///< the tools of the last frame
    mutable std::mutex m_mutex;
    std::vector<ToolState> m_tools;
    std::vector<TrackingInstrument> m_latest;
    std::map<IgtlMessageReader::Problem, std::size_t> m_problemCounts;
    std::set<std::string> m_reportedUnknownTypes;
    Clock::time_point m_startTime;
    std::atomic<Connection> m_connection{Connection::Disconnected};
    std::atomic<std::size_t> m_messagesReceived{0};

    // Last, so it stops before the members its thread uses go.
    StreamWorker m_worker;
};

}  // namespace Tesselon
