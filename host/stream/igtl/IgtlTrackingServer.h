#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/StreamData.h"
#include "host/stream/TrackingInstrument.h"
#include "host/stream/igtl/IgtlAddress.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tesselon {

class TrackingStream;

/// Publishes a tracking stream (raw, smoothed, combined or a calibrated tool) to every OpenIGTLink client
/// that connects, so other programs see our poses: one TRANSFORM message per instrument, or one TDATA
/// message per sample. Instruments are named as configured (for example "NeedleTipToReference"), by
/// default by their ID. Header version 1 (what every peer reads) leaves out instruments that are not seen;
/// version 2 sends them with a "TransformStatus" or "<name>Status" of "INVALID".
///
/// Samples are sent on the stream's thread; a client that cannot take them within a few milliseconds is
/// dropped, so one stalled peer never holds back the stream or the other clients.
class IgtlTrackingServer : public SignalReceiver
{
public:
    enum class Format
    {
        Transform,
        TrackingData
    };

    struct Options
    {
        int port = IgtlAddress::defaultPort;  ///< 0 picks a free port (see `port()`)
        Format format = Format::Transform;
        int headerVersion = 1;
        /// Device names by instrument ID; others keep their ID.
        std::map<std::string, std::string> deviceNames{};
        /// The device name of TDATA messages.
        std::string trackingDataName = "Tracker";
    };

    IgtlTrackingServer(TrackingStream& stream, Options options);
    ~IgtlTrackingServer() override;

    /// Listens on the port and starts publishing; false, with a logged error, when the port is taken.
    bool start();
    void stop();
    bool isRunning() const { return m_running; }
    /// The port listened on, once started.
    int port() const { return m_port; }
    std::size_t clientCount() const;
    std::size_t messagesSent() const { return m_messagesSent; }

    /// The messages one sample becomes.
    std::vector<std::vector<std::uint8_t>> encode(const std::vector<TrackingInstrument>& instruments) const;

private:
    // The library's sockets, kept out of this header.
    struct Sockets;

    void onSample(const std::shared_ptr<const StreamData>& sample);
    void acceptClients();
    void dropClientsThatLeft();
    void send(const std::vector<std::vector<std::uint8_t>>& messages);
    std::string deviceName(const TrackingInstrument& instrument) const;

    TrackingStream& m_stream;
    Options m_options;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_port{0};
    std::atomic<std::size_t> m_messagesSent{0};
    std::thread m_acceptor;
    mutable std::mutex m_socketsMutex;
    std::unique_ptr<Sockets> m_sockets;
};

}  // namespace Tesselon
