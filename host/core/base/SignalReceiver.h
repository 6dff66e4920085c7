#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Tesselon {

namespace detail {

/// One connection between a signal and a receiver. It knows which threads are inside its slot, so that
/// disconnecting can wait for calls on other threads while a slot may still disconnect itself.
class ConnectionBase
{
public:
    virtual ~ConnectionBase() = default;

    /// Marks the connection as dead and waits until no other thread is inside the slot.
    void disconnect();
    bool isConnected() const;

    /// Removes this connection from its signal's list; implemented by the typed connection.
    virtual void detachFromSignal() = 0;

protected:
    /// Registers the calling thread as inside the slot; false when the connection is dead.
    bool enterCall();
    void leaveCall();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_callsDone;
    bool m_connected = true;
    std::vector<std::thread::id> m_callers;
};

}  // namespace detail

/// Base of every object whose member functions are connected to signals. Its connections end when it
/// is destroyed or calls `disconnectAll`, and no slot of it runs afterwards, even on another thread.
///
/// A receiver's own destructor runs after those of its derived classes: a class whose slots read its
/// members while other threads emit calls `disconnectAll()` first in its destructor.
class SignalReceiver
{
public:
    SignalReceiver();
    virtual ~SignalReceiver();
    SignalReceiver(const SignalReceiver&) = delete;
    SignalReceiver& operator=(const SignalReceiver&) = delete;

    /// Ends every connection of this receiver, waiting for slot calls running on other threads.
    void disconnectAll();

    /// Used by signals when they connect a slot of this receiver. The receiver holds its connections
    /// weakly: a connection that its signal dropped simply expires here.
    void addConnection(const std::shared_ptr<detail::ConnectionBase>& connection);

private:
    std::mutex m_mutex;
    std::vector<std::weak_ptr<detail::ConnectionBase>> m_connections;
};

}  // namespace Tesselon
