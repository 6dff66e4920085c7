#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace Tesselon {

/// The thread a live source emits its samples on. Either a periodic tick called on absolute deadlines
/// (the rate never drifts, and a late tick is followed by the overdue ones at once instead of being
/// skipped), or a body that runs until it sees its stop token, waiting only through `waitUntil`/`waitFor`
/// so that a stop wakes it at once.
///
/// `start` and `stop` may be called in any state and any number of times, but not concurrently with each
/// other: a stream's operations are serialised. `stop` called on the worker's own thread only requests the
/// stop; the body returns at its next wait and the thread is joined by the next `start`, `stop` or the
/// destructor on another thread. Destroying the worker on its own thread detaches it: the body must then
/// not touch its owner after returning.
class StreamWorker
{
public:
    using Clock = std::chrono::steady_clock;
    using Body = std::function<void(std::stop_token)>;
    /// One tick, given the deadline it was due at; returns the time from that deadline to the next one.
    using Tick = std::function<Clock::duration(Clock::time_point deadline)>;

    StreamWorker() = default;
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    /// Runs `body` on a new thread, unless a thread was started and not stopped since (even if its body
    /// has returned by itself: `stop` first to run it again).
    void start(Body body);
    /// Calls `tick` at once, then each time its next deadline comes, until stopped.
    void startPeriodic(Tick tick);
    /// Requests the stop and waits for the body to return; nothing when not started.
    void stop();
    /// Started and not stopped since.
    bool isStarted() const;

    /// Wakes a `waitUntil` so that it checks its condition again.
    void wake();
    /// For the body: waits until the deadline or a stop; true when stopped.
    bool waitUntil(const std::stop_token& token, Clock::time_point deadline);
    bool waitFor(const std::stop_token& token, Clock::duration duration);
    /// For the body: waits with the caller's lock until the deadline, a stop, or `wakeUp()` holds after a
    /// `wake`; true when woken before the deadline.
    template <class Predicate>
    bool waitUntil(std::unique_lock<std::mutex>& lock, const std::stop_token& token,
                   Clock::time_point deadline, Predicate wakeUp)
    {
        return m_wake.wait_until(lock, token, deadline, wakeUp) || token.stop_requested();
    }

private:
    bool isWorkerThread() const { return m_thread.get_id() == std::this_thread::get_id(); }

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::jthread m_thread;
};

}  // namespace Tesselon
