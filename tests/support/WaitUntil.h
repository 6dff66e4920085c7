#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace Tesselon::Test {

/// Polls `condition` until it holds; false after a generous deadline. Only a guard against hanging: a
/// test must never depend on how long anything takes.
inline bool waitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace Tesselon::Test
