#include "host/stream/sources/IgtlTrackingStream.h"

#include "host/core/base/Log.h"
#include "host/stream/igtl/IgtlClientSocket.h"

#include <fmt/core.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace Tesselon {
namespace {

constexpr std::string_view category = "IgtlTrackingStream";
constexpr auto firstReconnectDelay = std::chrono::milliseconds(100);
constexpr auto longestReconnectDelay = std::chrono::seconds(2);
// Bounds how long a stop waits for an attempt to reach a host that does not answer.
constexpr auto connectTimeout = std::chrono::milliseconds(500);
// How long a receive waits before the worker looks at stop requests and tool timeouts.
constexpr int receivePollMilliseconds = 20;
constexpr std::size_t receiveBufferSize = 64 * 1024;

bool isDesynchronising(IgtlMessageReader::Problem problem)
{
    return problem == IgtlMessageReader::Problem::BadHeader ||
           problem == IgtlMessageReader::Problem::AbsurdSize;
}

DeviceTime deviceTime(double seconds)
{
    return DeviceTime(std::llround(seconds * 1000.0));
}

}  // namespace

IgtlTrackingStream::IgtlTrackingStream(std::string name) : TrackingStream(std::move(name))
{
    m_port.setAttribute("min", "1");
    m_port.setAttribute("max", "65535");
    m_toolTimeout.setAttribute("min", "0.001");
    m_host.setAttribute("tooltip", "Name or address of the OpenIGTLink server");
    m_toolTimeout.setAttribute("tooltip", "Seconds without news after which a tool counts as missing");
}

const char* IgtlTrackingStream::connectionName(Connection connection)
{
    switch (connection) {
        case Connection::Disconnected:
            return "disconnected";
        case Connection::Connecting:
            return "connecting";
        case Connection::Connected:
            return "connected";
    }
    return "unknown";
}

std::vector<TrackingInstrument> IgtlTrackingStream::instruments() const
{
    std::lock_guard lock(m_mutex);
    return m_latest;
}

std::map<IgtlMessageReader::Problem, std::size_t> IgtlTrackingStream::problemCounts() const
{
    std::lock_guard lock(m_mutex);
    return m_problemCounts;
}

IgtlTrackingStream::Settings IgtlTrackingStream::settings() const
{
    std::lock_guard lock(configurationMutex());
    // The parameters refuse a port outside 1-65535 and a timeout that is not positive.
    return {
        m_host.value(), m_port.value(),
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_toolTimeout.value()))};
}

bool IgtlTrackingStream::startImpl()
{
    m_worker.start([this](std::stop_token token) { runWorker(token); });
    return true;
}

bool IgtlTrackingStream::stopImpl()
{
    m_worker.stop();
    return true;
}

bool IgtlTrackingStream::closeImpl()
{
    m_worker.stop();
    std::lock_guard lock(m_mutex);
    m_tools.clear();
    m_latest.clear();
    return true;
}

void IgtlTrackingStream::runWorker(const std::stop_token& token)
{
    m_startTime = Clock::now();
    Clock::duration delay = firstReconnectDelay;
    bool reportedFailure = false;
    while (!token.stop_requested()) {
        const Settings settings = this->settings();
        setConnection(Connection::Connecting);
        auto socket = IgtlClientSocket::New();
        if (!socket->connectWithin(settings.host, settings.port, connectTimeout)) {
            if (!reportedFailure)
                Log::warning(category, fmt::format("Cannot reach the OpenIGTLink server at {}:{}; retrying.",
                                                   settings.host, settings.port));
            reportedFailure = true;
            setConnection(Connection::Disconnected);
            if (!waitBeforeReconnecting(token, delay, settings))
                return;
            delay = std::min<Clock::duration>(delay * 2, longestReconnectDelay);
            continue;
        }
        reportedFailure = false;
        Log::info(category,
                  fmt::format("Connected to the OpenIGTLink server at {}:{}.", settings.host, settings.port));
        setConnection(Connection::Connected);
        const std::size_t messagesBefore = m_messagesReceived;
        receiveUntilDisconnected(token, *socket, settings);
        socket->CloseSocket();
        setConnection(Connection::Disconnected);
        if (m_messagesReceived != messagesBefore) {
            delay = firstReconnectDelay;
            continue;
        }
        // A server that hangs up before sending anything (one out of descriptors does) must not make us
        // reconnect in a tight loop.
        if (!waitBeforeReconnecting(token, delay, settings))
            return;
        delay = std::min<Clock::duration>(delay * 2, longestReconnectDelay);
    }
}

bool IgtlTrackingStream::waitBeforeReconnecting(const std::stop_token& token, Clock::duration delay,
                                                const Settings& settings)
{
    // Small steps, so tools still time out while the server is away.
    const auto step = std::chrono::milliseconds(receivePollMilliseconds);
    for (auto waited = Clock::duration::zero(); waited < delay; waited += step) {
        emitIfToolsTimedOut(settings);
        if (m_worker.waitFor(token, step))
            return false;
    }
    return true;
}

void IgtlTrackingStream::receiveUntilDisconnected(const std::stop_token& token, igtl::ClientSocket& socket,
                                                  const Settings& settings)
{
    socket.SetReceiveTimeout(receivePollMilliseconds);
    m_reader.clear();
    m_frameTools.clear();
    std::vector<std::uint8_t> buffer(receiveBufferSize);
    while (!token.stop_requested()) {
        const int received = socket.Receive(buffer.data(), static_cast<int>(buffer.size()), 0);
        if (received < 0) {
            // A quiet moment ends a frame, unless a message of it is still on its way.
            if (!m_reader.isMidMessage())
                emitPending(settings);
            emitIfToolsTimedOut(settings);
            continue;
        }
        if (received == 0) {
            emitPending(settings);
            if (m_reader.isMidMessage())
                report(IgtlMessageReader::Problem::TruncatedBody,
                       "The server went away in the middle of a message.");
            Log::warning(category, fmt::format("Lost the OpenIGTLink server at {}:{}; reconnecting.",
                                               settings.host, settings.port));
            return;
        }
        m_reader.append(std::span(buffer).first(static_cast<std::size_t>(received)));
        while (const auto outcome = m_reader.next())
            if (!handle(*outcome, settings)) {
                emitPending(settings);
                Log::warning(category, "Reconnecting to find the start of the next message.");
                return;
            }
        emitIfToolsTimedOut(settings);
    }
    m_pendingTools.clear();
}

bool IgtlTrackingStream::handle(const IgtlMessageReader::Outcome& outcome, const Settings& settings)
{
    if (outcome.problem != IgtlMessageReader::Problem::None) {
        report(outcome.problem, outcome.detail);
        return !isDesynchronising(outcome.problem);
    }
    ++m_messagesReceived;
    // A tool already waiting in this batch starts a new frame, whose predecessor must not be lost.
    const auto& tools = outcome.message->tools;
    if (std::any_of(tools.begin(), tools.end(),
                    [this](const IgtlToolPose& tool) { return m_pendingTools.contains(tool.name); }))
        emitPending(settings);
    update(*outcome.message);
    for (const IgtlToolPose& tool : tools)
        m_pendingTools.insert(tool.name);
    // Every tool of the last frame is here: the frame is complete, whatever the reads cut it into.
    if (!m_frameTools.empty() &&
        std::includes(m_pendingTools.begin(), m_pendingTools.end(), m_frameTools.begin(), m_frameTools.end()))
        emitPending(settings);
    return true;
}

void IgtlTrackingStream::emitPending(const Settings& settings)
{
    if (m_pendingTools.empty())
        return;
    m_frameTools = std::exchange(m_pendingTools, {});
    emitSample(settings);
}

void IgtlTrackingStream::report(IgtlMessageReader::Problem problem, const std::string& detail)
{
    bool first;
    {
        std::lock_guard lock(m_mutex);
        first = m_problemCounts[problem]++ == 0;
        // Each type without poses is named once: a peer may well send several.
        if (problem == IgtlMessageReader::Problem::UnknownType)
            first = m_reportedUnknownTypes.insert(detail).second;
    }
    if (first)
        Log::warning(category, fmt::format("Skipped a message ({}): {} Later ones of this kind are skipped "
                                           "without a word.",
                                           IgtlMessageReader::problemName(problem), detail));
}

void IgtlTrackingStream::update(const IgtlMessage& message)
{
    const Clock::time_point now = Clock::now();
    const DeviceTime timestamp = message.timestampSeconds
                                     ? deviceTime(*message.timestampSeconds)
                                     : std::chrono::duration_cast<DeviceTime>(now - m_startTime);
    std::lock_guard lock(m_mutex);
    for (const IgtlToolPose& pose : message.tools) {
        auto tool = std::find_if(m_tools.begin(), m_tools.end(),
                                 [&](const ToolState& state) { return state.name == pose.name; });
        if (tool == m_tools.end())
            tool = m_tools.insert(m_tools.end(), ToolState{.name = pose.name});
        // An invalid pose is no measurement: the last valid one stays, with quality 0.
        if (pose.valid)
            tool->toolToTracker = pose.toolToTracker;
        tool->valid = pose.valid;
        tool->timestamp = timestamp;
        tool->arrival = now;
    }
}

std::vector<TrackingInstrument> IgtlTrackingStream::instrumentsAt(Clock::time_point now,
                                                                  const Settings& settings)
{
    std::vector<TrackingInstrument> instruments;
    for (ToolState& tool : m_tools) {
        TrackingInstrument instrument;
        instrument.id = TrackerID(tool.name, "", tool.name);
        instrument.matrix = tool.toolToTracker;
        instrument.timestamp = tool.timestamp;
        instrument.visible = tool.valid && now - tool.arrival <= settings.toolTimeout;
        instrument.quality = instrument.visible ? 1.0 : 0.0;
        tool.reportedVisible = instrument.visible;
        instruments.push_back(std::move(instrument));
    }
    return instruments;
}

void IgtlTrackingStream::emitSample(const Settings& settings)
{
    std::shared_ptr<TrackingStreamData> sample;
    {
        std::lock_guard lock(m_mutex);
        m_latest = instrumentsAt(Clock::now(), settings);
        sample = std::make_shared<TrackingStreamData>(this, m_latest);
    }
    sample->setTimestampDevice(newestTimestamp(sample->instruments()));
    sample->setTimestampArrival(StreamData::nowMilliseconds());
    emitData(sample);
}

void IgtlTrackingStream::emitIfToolsTimedOut(const Settings& settings)
{
    const Clock::time_point now = Clock::now();
    bool timedOut = false;
    {
        std::lock_guard lock(m_mutex);
        for (const ToolState& tool : m_tools)
            timedOut |= tool.reportedVisible && now - tool.arrival > settings.toolTimeout;
    }
    if (!timedOut)
        return;
    // A frame on its way carries the news, so that its poses are given once.
    if (m_pendingTools.empty())
        emitSample(settings);
    else
        emitPending(settings);
}

void IgtlTrackingStream::setConnection(Connection connection)
{
    if (m_connection.exchange(connection) == connection)
        return;
    connectionChanged.emitSignal(connection);
    updated.emitSignal();
    updatedThreadSafe.emitSignal();
}

}  // namespace Tesselon
