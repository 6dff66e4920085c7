#include "host/stream/StreamWorker.h"

#include "host/core/base/Log.h"

namespace Tesselon {

StreamWorker::~StreamWorker()
{
    stop();
    // Only left joinable on its own thread, which cannot join itself.
    if (m_thread.joinable())
        m_thread.detach();
}

void StreamWorker::start(Body body)
{
    if (isStarted())
        return;
    if (m_thread.joinable()) {
        if (isWorkerThread()) {
            Log::error("StreamWorker", "A stream's worker cannot restart itself from its own thread.");
            return;
        }
        m_thread.join();
    }
    // The body waits until the thread is stored: stopping or destroying the worker from the body reads it.
    std::lock_guard stored(m_mutex);
    m_thread = std::jthread([this, body = std::move(body)](std::stop_token token) {
        {
            std::lock_guard wait(m_mutex);
        }
        body(std::move(token));
    });
}

void StreamWorker::startPeriodic(Tick tick)
{
    start([this, tick = std::move(tick)](std::stop_token token) {
        for (Clock::time_point deadline = Clock::now(); !waitUntil(token, deadline);)
            deadline += tick(deadline);
    });
}

void StreamWorker::stop()
{
    if (!m_thread.joinable())
        return;
    // Wakes the waits, which watch the token.
    m_thread.request_stop();
    if (!isWorkerThread())
        m_thread.join();
}

bool StreamWorker::isStarted() const
{
    return m_thread.joinable() && !m_thread.get_stop_token().stop_requested();
}

void StreamWorker::wake()
{
    m_wake.notify_all();
}

bool StreamWorker::waitUntil(const std::stop_token& token, Clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    return waitUntil(lock, token, deadline, [] { return false; });
}

bool StreamWorker::waitFor(const std::stop_token& token, Clock::duration duration)
{
    return waitUntil(token, Clock::now() + duration);
}

}  // namespace Tesselon
