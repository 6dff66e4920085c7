#include "host/core/base/SignalReceiver.h"

#include <algorithm>

namespace Tesselon {
namespace detail {

void ConnectionBase::disconnect()
{
    std::unique_lock lock(m_mutex);
    m_connected = false;
    const auto self = std::this_thread::get_id();
    // Calls from the disconnecting thread itself are the slot disconnecting from inside: don't wait on them.
    m_callsDone.wait(lock, [&] {
        return std::all_of(m_callers.begin(), m_callers.end(), [&](auto id) { return id == self; });
    });
}

bool ConnectionBase::isConnected() const
{
    std::lock_guard lock(m_mutex);
    return m_connected;
}

bool ConnectionBase::enterCall()
{
    std::lock_guard lock(m_mutex);
    if (!m_connected)
        return false;
    m_callers.push_back(std::this_thread::get_id());
    return true;
}

void ConnectionBase::leaveCall()
{
    {
        std::lock_guard lock(m_mutex);
        m_callers.erase(std::find(m_callers.begin(), m_callers.end(), std::this_thread::get_id()));
    }
    m_callsDone.notify_all();
}

}  // namespace detail

SignalReceiver::SignalReceiver() = default;

SignalReceiver::~SignalReceiver()
{
    disconnectAll();
}

void SignalReceiver::disconnectAll()
{
    std::vector<std::weak_ptr<detail::ConnectionBase>> connections;
    {
        std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
    }
    for (const auto& weak : connections) {
        if (const auto connection = weak.lock()) {
            connection->disconnect();
            connection->detachFromSignal();
        }
    }
}

void SignalReceiver::addConnection(const std::shared_ptr<detail::ConnectionBase>& connection)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_connections, [](const auto& weak) { return weak.expired(); });
    m_connections.push_back(connection);
}

}  // namespace Tesselon
