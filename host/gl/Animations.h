#pragma once

#include "host/gl/Animation.h"

#include <QEasingCurve>

#include <functional>
#include <memory>

namespace Tesselon {

/// Starts animations on the Qt event loop of the calling (GUI) thread, e.g. a camera gliding from one
/// ring to the next.
class Animations
{
public:
    /// Calls `function` with the eased progress t in [0, 1] on every tick for `durationMs` milliseconds,
    /// and once with t = 1 at the end. The function is never called from inside this call. A negative
    /// duration is logged and taken as 0. Without a Qt application there is no event loop: the function
    /// is called with t = 1 at once and the returned animation is already stopped.
    static std::shared_ptr<Animation> runAnimation(std::function<void(double)> function, int durationMs,
                                                   const QEasingCurve& easing = QEasingCurve::Linear);
};

}  // namespace Tesselon
