#include "host/stream/Stream.h"

namespace Tesselon {

Stream::Stream(std::string name) : Data(std::move(name)) {}

Stream::~Stream() = default;

std::future<bool> Stream::openAsync()
{
    return runAsync(&Stream::openImpl, Open);
}

std::future<bool> Stream::startAsync()
{
    return runAsync(&Stream::startImpl, Running);
}

std::future<bool> Stream::stopAsync()
{
    return runAsync(&Stream::stopImpl, Open);
}

std::future<bool> Stream::closeAsync()
{
    return runAsync(&Stream::closeImpl, Closed);
}

Stream::State Stream::state() const
{
    std::lock_guard lock(m_stateMutex);
    return m_state;
}

bool Stream::isRunning() const
{
    const State current = state();
    return current == Running || current == Paused;
}

void Stream::changeState(State newState)
{
    State oldState;
    {
        std::lock_guard lock(m_stateMutex);
        oldState = std::exchange(m_state, newState);
    }
    if (oldState != newState)
        stateChanged.emitSignal(oldState, newState);
}

std::future<bool> Stream::runAsync(bool (Stream::*operation)(), State stateOnSuccess)
{
    return std::async(std::launch::async, [this, operation, stateOnSuccess, serial = m_operationMutex] {
        std::lock_guard lock(*serial);
        const bool succeeded = (this->*operation)();
        if (succeeded)
            changeState(stateOnSuccess);
        return succeeded;
    });
}

}  // namespace Tesselon
