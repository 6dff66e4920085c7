#pragma once

#include "host/core/base/Log.h"
#include "host/core/base/SignalReceiver.h"

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tesselon {

/// A thread-safe signal. Any thread may emit, connect or disconnect at any time; emitting takes the
/// signal's own lock only to copy a pointer to the current connection list, so slots run unlocked and
/// may connect or disconnect (themselves included). A slot that throws is logged and the others still run.
template <typename... Args>
class Signal
{
public:
    Signal() = default;
    ~Signal();
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    /// Calls `slot` on every emission until `receiver` dies or disconnects.
    void connect(SignalReceiver* receiver, std::function<void(Args...)> slot);

    /// Calls a member function of the receiver on every emission until the receiver dies or disconnects.
    template <class Receiver, class... Parameters>
    void connect(Receiver* receiver, void (Receiver::*method)(Parameters...))
    {
        connect(receiver, [receiver, method](Args... args) { (receiver->*method)(args...); });
    }

    /// Ends every connection of this receiver to this signal, waiting for its calls on other threads.
    void disconnect(SignalReceiver* receiver);

    void emitSignal(Args... args) const;
    void operator()(Args... args) const { emitSignal(args...); }

    std::size_t connectionCount() const;

private:
    class Connection;
    using ConnectionList = std::vector<std::shared_ptr<Connection>>;

    // Shared with the connections, so that a receiver can detach after the signal is gone.
    struct Core
    {
        mutable std::mutex mutex;
        std::shared_ptr<const ConnectionList> connections = std::make_shared<ConnectionList>();

        std::shared_ptr<const ConnectionList> snapshot() const
        {
            std::lock_guard lock(mutex);
            return connections;
        }
        /// Replaces the list by the entries that `keep` accepts; returns the removed ones.
        template <class Predicate>
        ConnectionList retainIf(Predicate keep)
        {
            std::lock_guard lock(mutex);
            auto kept = std::make_shared<ConnectionList>();
            ConnectionList removed;
            for (const auto& connection : *connections)
                (keep(*connection) ? *kept : removed).push_back(connection);
            connections = std::move(kept);
            return removed;
        }
    };

    class Connection : public detail::ConnectionBase
    {
    public:
        Connection(std::weak_ptr<Core> core, SignalReceiver* receiver, std::function<void(Args...)> slot)
            : m_core(std::move(core)), m_receiver(receiver), m_slot(std::move(slot))
        {
        }

        void call(Args... args)
        {
            if (!enterCall())
                return;
            try {
                m_slot(args...);
            } catch (const std::exception& error) {
                Log::error("Signal", std::string("A signal handler failed: ") + error.what());
            } catch (...) {
                Log::error("Signal", "A signal handler failed with an unknown exception.");
            }
            leaveCall();
        }

        void detachFromSignal() override
        {
            if (const auto core = m_core.lock())
                core->retainIf([this](const Connection& c) { return &c != this; });
        }

        const SignalReceiver* receiver() const { return m_receiver; }

    private:
        std::weak_ptr<Core> m_core;
        const SignalReceiver* m_receiver;
        std::function<void(Args...)> m_slot;
    };

    std::shared_ptr<Core> m_core = std::make_shared<Core>();
};

template <typename... Args>
Signal<Args...>::~Signal()
{
    // Receivers hold their connections weakly; once dead here they expire there.
    for (const auto& connection : m_core->retainIf([](const Connection&) { return false; }))
        connection->disconnect();
}

template <typename... Args>
void Signal<Args...>::connect(SignalReceiver* receiver, std::function<void(Args...)> slot)
{
    auto connection = std::make_shared<Connection>(m_core, receiver, std::move(slot));
    receiver->addConnection(connection);
    std::lock_guard lock(m_core->mutex);
    auto connections = std::make_shared<ConnectionList>(*m_core->connections);
    connections->push_back(std::move(connection));
    m_core->connections = std::move(connections);
}

template <typename... Args>
void Signal<Args...>::disconnect(SignalReceiver* receiver)
{
    const auto removed =
        m_core->retainIf([receiver](const Connection& c) { return c.receiver() != receiver; });
    for (const auto& connection : removed)
        connection->disconnect();
}

template <typename... Args>
void Signal<Args...>::emitSignal(Args... args) const
{
    const auto connections = m_core->snapshot();
    for (const auto& connection : *connections)
        connection->call(args...);
}

template <typename... Args>
std::size_t Signal<Args...>::connectionCount() const
{
    return m_core->snapshot()->size();
}

/// The name the plug-in code uses for the host's signal type.
template <typename... Args>
using SignalImpl = Signal<Args...>;

}  // namespace Tesselon
