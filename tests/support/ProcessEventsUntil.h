#pragma once

#include "tests/support/WaitUntil.h"

#include <QCoreApplication>

#include <functional>

namespace Tesselon::Test {

/// `waitUntil` for widget tests: runs the GUI thread's queued work between polls, so that changes other
/// threads hand to the GUI thread arrive. False after the same generous deadline.
inline bool processEventsUntil(const std::function<bool()>& condition)
{
    return waitUntil([&] {
        QCoreApplication::processEvents();
        return condition();
    });
}

}  // namespace Tesselon::Test
