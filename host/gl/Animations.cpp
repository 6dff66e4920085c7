#include "host/gl/Animations.h"

#include "host/core/base/Log.h"

#include <QCoreApplication>

namespace Tesselon {

namespace {

constexpr const char* category = "Animations";

}  // namespace

std::shared_ptr<Animation> Animations::runAnimation(std::function<void(double)> function, int durationMs,
                                                    const QEasingCurve& easing)
{
    if (durationMs < 0)
        Log::error(category, "An animation cannot have a negative duration; running it with duration 0.");
    // The constructor is private to keep every animation alive through its self-reference.
    std::shared_ptr<Animation> animation(new Animation(std::move(function), durationMs, easing));
    if (!QCoreApplication::instance()) {
        Log::error(category, "Animations need a Qt application; jumping to the end of the animation.");
        animation->call(1.0);
        return animation;
    }
    animation->start(animation);
    return animation;
}

}  // namespace Tesselon
