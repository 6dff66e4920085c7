#include "host/gl/Animation.h"

#include "host/core/base/Log.h"

#include <QTimer>

#include <algorithm>
#include <exception>

namespace Tesselon {

namespace {

constexpr const char* category = "Animation";
// About one frame of a 60 Hz display.
constexpr int tickIntervalMs = 16;

}  // namespace

Animation::Animation(std::function<void(double)> function, int durationMs, const QEasingCurve& easing)
    : m_function(std::move(function)), m_durationMs(std::max(durationMs, 0)), m_easing(easing)
{
}

Animation::~Animation() = default;

void Animation::start(std::shared_ptr<Animation> self)
{
    m_self = std::move(self);
    m_timer = std::make_unique<QTimer>();
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(tickIntervalMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { step(); });
    m_state = Running;
    m_clock.start();
    m_timer->start();
}

void Animation::cancel()
{
    if (m_state == Running)
        stop();
}

void Animation::step()
{
    const double progress =
        m_durationMs == 0 ? 1.0 : std::min(1.0, static_cast<double>(m_clock.elapsed()) / m_durationMs);
    if (progress < 1.0) {
        call(m_easing.valueForProgress(progress));
        return;
    }
    // Stopped before the last call, so that the function sees the animation finished.
    stop();
    call(1.0);
}

void Animation::stop()
{
    m_state = Stopped;
    m_timer->stop();
    // The timer that called us belongs to this object: release it only after its signal returned.
    QTimer::singleShot(0, [self = std::move(m_self)] {});
}

void Animation::call(double t)
{
    try {
        m_function(t);
    } catch (const std::exception& error) {
        Log::error(category,
                   std::string("An animation step failed and the animation stopped: ") + error.what());
        cancel();
    } catch (...) {
        Log::error(category, "An animation step failed with an unknown error and the animation stopped.");
        cancel();
    }
}

}  // namespace Tesselon
