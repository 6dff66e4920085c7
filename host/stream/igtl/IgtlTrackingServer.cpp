#include "host/stream/igtl/IgtlTrackingServer.h"

#include "host/core/base/Log.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/igtl/IgtlMessageWriter.h"
#include "host/stream/igtl/IgtlServerSocket.h"

#include <fmt/core.h>

#include <csignal>

namespace Tesselon {
namespace {

constexpr std::string_view category = "IgtlTrackingServer";
constexpr std::chrono::milliseconds acceptPoll(50);
// A client whose receive buffer stays full this long is too slow to keep.
constexpr int sendTimeoutMilliseconds = 20;
constexpr std::size_t deviceNameLength = 20;

std::optional<double> seconds(std::optional<DeviceTime> time)
{
    if (!time)
        return std::nullopt;
    return std::chrono::duration<double>(*time).count();
}

bool isSeen(const TrackingInstrument& instrument)
{
    return instrument.visible && instrument.quality > 0.0;
}

const char* status(const TrackingInstrument& instrument)
{
    return isSeen(instrument) ? "OK" : "INVALID";
}

}  // namespace

struct IgtlTrackingServer::Sockets
{
    IgtlServerSocket::Pointer server;
    std::vector<IgtlClientSocket::Pointer> clients;
};

IgtlTrackingServer::IgtlTrackingServer(TrackingStream& stream, Options options)
    : m_stream(stream), m_options(std::move(options))
{
    for (const auto& [id, name] : m_options.deviceNames)
        if (name.size() > deviceNameLength)
            Log::warning(category,
                         fmt::format("The device name \"{}\" of {} is longer than the {} characters an "
                                     "OpenIGTLink message carries; peers will see \"{}\".",
                                     name, id, deviceNameLength, name.substr(0, deviceNameLength)));
}

IgtlTrackingServer::~IgtlTrackingServer()
{
    stop();
}

bool IgtlTrackingServer::start()
{
    if (m_running)
        return true;
    // A client that vanishes mid-send must cost us the client, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    auto server = IgtlServerSocket::New();
    if (!server->listenOn(m_options.port)) {
        Log::error(category, fmt::format("Cannot serve OpenIGTLink on port {}: is another program using it?",
                                         m_options.port));
        return false;
    }
    m_port = server->GetServerPort();
    {
        std::lock_guard lock(m_socketsMutex);
        m_sockets = std::make_unique<Sockets>();
        m_sockets->server = server;
    }
    m_running = true;
    m_acceptor = std::thread([this] { acceptClients(); });
    m_stream.newData.connect(this, &IgtlTrackingServer::onSample);
    Log::info(category,
              fmt::format("Serving \"{}\" over OpenIGTLink on port {}.", m_stream.name(), m_port.load()));
    return true;
}

void IgtlTrackingServer::stop()
{
    if (!m_running.exchange(false))
        return;
    m_stream.newData.disconnect(this);
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::lock_guard lock(m_socketsMutex);
    for (auto& client : m_sockets->clients)
        client->CloseSocket();
    m_sockets->server->CloseSocket();
    m_sockets.reset();
}

std::size_t IgtlTrackingServer::clientCount() const
{
    std::lock_guard lock(m_socketsMutex);
    return m_sockets ? m_sockets->clients.size() : 0;
}

void IgtlTrackingServer::acceptClients()
{
    IgtlServerSocket::Pointer server;
    {
        std::lock_guard lock(m_socketsMutex);
        server = m_sockets->server;
    }
    while (m_running) {
        IgtlClientSocket::Pointer client = server->acceptWithin(acceptPoll);
        dropClientsThatLeft();
        if (!client)
            continue;
        client->SetSendTimeout(sendTimeoutMilliseconds);
        std::size_t count;
        {
            std::lock_guard lock(m_socketsMutex);
            m_sockets->clients.push_back(client);
            count = m_sockets->clients.size();
        }
        Log::info(category, fmt::format("An OpenIGTLink client connected on port {} ({} connected).",
                                        m_port.load(), count));
    }
}

void IgtlTrackingServer::dropClientsThatLeft()
{
    std::lock_guard lock(m_socketsMutex);
    // Peers send nothing we use (at most requests we do not serve, or garbage): it is read and dropped,
    // which is also how a peer that hung up is noticed while no samples flow.
    std::erase_if(m_sockets->clients, [](const IgtlClientSocket::Pointer& client) {
        if (client->discardReceived())
            return false;
        Log::info(category, "An OpenIGTLink client disconnected.");
        return true;
    });
}

void IgtlTrackingServer::onSample(const std::shared_ptr<const StreamData>& sample)
{
    const auto* tracking = dynamic_cast<const TrackingStreamData*>(sample.get());
    if (!tracking)
        return;
    send(encode(tracking->instruments()));
}

void IgtlTrackingServer::send(const std::vector<std::vector<std::uint8_t>>& messages)
{
    std::lock_guard lock(m_socketsMutex);
    if (!m_sockets)
        return;
    auto& clients = m_sockets->clients;
    for (auto client = clients.begin(); client != clients.end();) {
        bool delivered = true;
        for (const auto& message : messages)
            if (!(delivered = (*client)->Send(message.data(), static_cast<int>(message.size())) == 1))
                break;
        if (delivered) {
            m_messagesSent += messages.size();
            ++client;
            continue;
        }
        Log::warning(category, "Dropped an OpenIGTLink client that went away or could not keep up.");
        client = clients.erase(client);
    }
}

std::vector<std::vector<std::uint8_t>> IgtlTrackingServer::encode(
    const std::vector<TrackingInstrument>& instruments) const
{
    const bool version2 = m_options.headerVersion == 2;
    std::vector<std::vector<std::uint8_t>> messages;
    if (m_options.format == Format::TrackingData) {
        std::vector<IgtlToolPose> tools;
        IgtlMetadata metadata;
        for (const TrackingInstrument& instrument : instruments) {
            if (!version2 && !isSeen(instrument))
                continue;
            tools.push_back({deviceName(instrument), instrument.matrix, isSeen(instrument)});
            metadata.emplace_back(tools.back().name + "Status", status(instrument));
        }
        auto message = IgtlMessageWriter::trackingData(m_options.trackingDataName, tools,
                                                       seconds(newestTimestamp(instruments)));
        messages.push_back(version2 ? IgtlMessageWriter::toVersion2(message, metadata) : std::move(message));
        return messages;
    }
    for (const TrackingInstrument& instrument : instruments) {
        if (!version2 && !isSeen(instrument))
            continue;
        auto message = IgtlMessageWriter::transform(deviceName(instrument), instrument.matrix,
                                                    seconds(instrument.timestamp));
        messages.push_back(
            version2 ? IgtlMessageWriter::toVersion2(message, {{"TransformStatus", status(instrument)}})
                     : std::move(message));
    }
    return messages;
}

std::string IgtlTrackingServer::deviceName(const TrackingInstrument& instrument) const
{
    const auto named = m_options.deviceNames.find(instrument.id.ID());
    if (named != m_options.deviceNames.end())
        return named->second;
    return instrument.transformName.empty() ? instrument.id.ID() : instrument.transformName;
}

}  // namespace Tesselon
