#include "host/stream/Stream.h"

#include "host/core/base/Log.h"

#include <fmt/format.h>

#include <string_view>

namespace Tesselon {
namespace {

constexpr std::string_view category = "Stream";

struct OperationTraits
{
    const char* verb;
    /// Whether failing leaves the stream `Failed`: it cannot deliver what was asked of it.
    bool failsStream;
};

// In the order of `Stream::Operation`.
constexpr OperationTraits operationTraits[] = {{"open", true},   {"start", true},  {"stop", false},
                                               {"close", false}, {"pause", false}, {"resume", true}};

std::string_view withoutFinalPeriod(std::string_view text)
{
    return text.ends_with('.') ? text.substr(0, text.size() - 1) : text;
}

}  // namespace

Stream::Stream(std::string name) : Data(std::move(name)) {}

Stream::~Stream() = default;

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

void Stream::changeState(State newState, std::string failureReason)
{
    State oldState;
    {
        std::lock_guard lock(m_stateMutex);
        oldState = std::exchange(m_state, newState);
        m_failureReason = newState == Failed ? std::move(failureReason) : std::string();
        m_failureCount += newState == Failed ? 1 : 0;
    }
    if (oldState != newState)
        stateChanged.emitSignal(oldState, newState);
}

void Stream::fail(std::string reason)
{
    Log::error(category, reason);
    changeState(Failed, std::move(reason));
}

void Stream::configure(const Properties* properties)
{
    std::lock_guard lock(m_configurationMutex);
    Configurable::configure(properties);
}

void Stream::configuration(Properties* properties) const
{
    std::lock_guard lock(m_configurationMutex);
    Configurable::configuration(properties);
}

void Stream::configureDefaults()
{
    std::lock_guard lock(m_configurationMutex);
    Configurable::configureDefaults();
}

std::string Stream::failureReason() const
{
    std::lock_guard lock(m_stateMutex);
    return m_failureReason;
}

std::uint64_t Stream::failureCount() const
{
    std::lock_guard lock(m_stateMutex);
    return m_failureCount;
}

void Stream::emitData(std::shared_ptr<const StreamData> sample)
{
    if (state() != Paused)
        newData.emitSignal(std::move(sample));
}

std::future<bool> Stream::runAsync(Operation operation, Implementation implementation)
{
    return std::async(std::launch::async, [this, operation, implementation, serial = m_operationMutex] {
        std::lock_guard lock(*serial);
        return run(operation, implementation);
    });
}

bool Stream::run(Operation operation, Implementation implementation)
{
    const OperationTraits& traits = operationTraits[static_cast<int>(operation)];
    if (operation == Operation::Pause || operation == Operation::Resume) {
        const State current = state();
        const State target = stateAfter(operation, current);
        if (current == target)
            return true;
        // Pausing and resuming only move between Running and Paused.
        if (current != (target == Paused ? Running : Paused)) {
            Log::warning(category, fmt::format("Cannot {} \"{}\": it is not {}.", traits.verb, name(),
                                               target == Paused ? "running" : "paused"));
            return false;
        }
    }
    const std::uint64_t failuresBefore = failureCount();
    // An implementation that failed the stream itself said why better than we can.
    const auto failUnlessFailed = [&](std::string_view problem) {
        if (traits.failsStream && failureCount() == failuresBefore)
            fail(fmt::format("Cannot {} \"{}\"{}.", traits.verb, name(), problem));
    };
    try {
        if ((this->*implementation)()) {
            changeState(stateAfter(operation, state()));
            return true;
        }
    } catch (const std::exception& error) {
        failUnlessFailed(fmt::format(": {}", withoutFinalPeriod(error.what())));
        throw;
    } catch (...) {
        failUnlessFailed(": an unknown error occurred");
        throw;
    }
    failUnlessFailed("");
    return false;
}

Stream::State Stream::stateAfter(Operation operation, State current)
{
    const bool running = current == Running || current == Paused;
    switch (operation) {
        case Operation::Open:
            // Reopening a running stream leaves it running.
            return running ? current : Open;
        case Operation::Start:
        case Operation::Resume:
            return Running;
        case Operation::Stop:
            // Stopping what does not run changes nothing: a failed stream stays failed.
            return running ? Open : current;
        case Operation::Close:
            return Closed;
        case Operation::Pause:
            return Paused;
    }
    return current;
}

}  // namespace Tesselon
