#pragma once

#include "host/stream/igtl/IgtlServerSocket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace Tesselon::Test {

/// An OpenIGTLink server built on the library, as a tracker's bridge would be: it accepts clients on its
/// own thread and sends them whatever bytes the test hands over.
class IgtlTestServer
{
public:
    /// Listens on `port`; 0 picks a free one.
    explicit IgtlTestServer(int port = 0) : m_server(IgtlServerSocket::New())
    {
        // Our socket rebinds a port whose earlier connections linger, so a dead server can come back.
        if (!m_server->listenOn(port))
            throw std::runtime_error("The test server cannot listen.");
        m_port = m_server->GetServerPort();
        m_acceptor = std::thread([this] {
            while (m_running) {
                IgtlClientSocket::Pointer client = m_server->acceptWithin(std::chrono::milliseconds(20));
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
    IgtlServerSocket::Pointer m_server;
    int m_port = 0;
    std::atomic<bool> m_running{true};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<IgtlClientSocket::Pointer> m_clients;
};

}  // namespace Tesselon::Test
