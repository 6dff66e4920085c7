#pragma once

#include <igtlServerSocket.h>
#include <sys/socket.h>

#include <atomic>

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace Tesselon::Test {

/// The library's server socket, made to rebind a port whose previous connections linger in TIME_WAIT,
/// so a test can bring a dead server back on the same port.
class ReusableServerSocket : public igtl::ServerSocket
{
public:
    using Self = ReusableServerSocket;
    using Pointer = igtl::SmartPointer<Self>;
    igtlTypeMacro(ReusableServerSocket, igtl::ServerSocket);
    igtlNewMacro(ReusableServerSocket);

    int CreateReusableServer(int port)
    {
        m_SocketDescriptor = CreateSocket();
        const int on = 1;
        if (m_SocketDescriptor < 0 ||
            setsockopt(m_SocketDescriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
            BindSocket(m_SocketDescriptor, port) != 0 || Listen(m_SocketDescriptor) != 0)
            return -1;
        return 0;
    }
};

/// An OpenIGTLink server built on the library, as a tracker's bridge would be: it accepts clients on its
/// own thread and sends them whatever bytes the test hands over.
class IgtlTestServer
{
public:
    /// Listens on `port`; 0 picks a free one.
    explicit IgtlTestServer(int port = 0) : m_server(ReusableServerSocket::New())
    {
        if (m_server->CreateReusableServer(port) != 0)
            throw std::runtime_error("The test server cannot listen.");
        m_port = m_server->GetServerPort();
        m_acceptor = std::thread([this] {
            while (m_running) {
                igtl::ClientSocket::Pointer client = m_server->WaitForConnection(20);
                if (!client)
                    continue;
                std::lock_guard lock(m_mutex);
                m_clients.push_back(client);
            }
        });
    }

    ~IgtlTestServer() { shutDown(); }

    /// Closes the listening socket and every connection, as a server that dies.
    void shutDown()
    {
        m_running = false;
        if (m_acceptor.joinable())
            m_acceptor.join();
        std::lock_guard lock(m_mutex);
        for (auto& client : m_clients)
            client->CloseSocket();
        m_clients.clear();
        m_server->CloseSocket();
    }

    int port() const { return m_port; }

    std::size_t clientCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_clients.size();
    }

    void send(const std::vector<std::uint8_t>& bytes)
    {
        std::lock_guard lock(m_mutex);
        for (auto& client : m_clients)
            client->Send(bytes.data(), static_cast<int>(bytes.size()));
    }

private:
    ReusableServerSocket::Pointer m_server;
    int m_port = 0;
    std::atomic<bool> m_running{true};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<igtl::ClientSocket::Pointer> m_clients;
};

}  // namespace Tesselon::Test
