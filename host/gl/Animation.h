#pragma once

#include <QEasingCurve>
#include <QElapsedTimer>

#include <functional>
#include <memory>

class QTimer;

namespace Tesselon {

/// One running animation: calls its function with the eased progress t in [0, 1] on every tick of the
/// Qt event loop, and exactly once with t = 1 at the end. Created by `Animations::runAnimation`; it keeps
/// running when the caller drops its handle. GUI thread only.
class Animation
{
public:
    enum State
    {
        Stopped = 0,
        Running = 1
    };

    ~Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    /// 1 while running, 0 once finished or cancelled.
    int state() const { return m_state; }
    int durationMs() const { return m_durationMs; }
    /// Stops where it is, without the final call with t = 1.
    void cancel();

private:
    friend class Animations;

    Animation(std::function<void(double)> function, int durationMs, const QEasingCurve& easing);
    void start(std::shared_ptr<Animation> self);
    void step();
    /// Stops the timer and lets go of the self-reference once control is back in the event loop.
    void stop();
    /// Calls the function; a throwing function is logged and cancels the animation.
    void call(double t);

    std::function<void(double)> m_function;
    int m_durationMs;
    QEasingCurve m_easing;
    std::unique_ptr<QTimer> m_timer;
    QElapsedTimer m_clock;
    State m_state = Stopped;
    std::shared_ptr<Animation> m_self;
};

}  // namespace Tesselon
