#pragma once

#include "host/core/base/Signal.h"

#include <tuple>
#include <vector>

namespace Tesselon::Test {

/// Records every emission of a signal, with its arguments, for as long as it lives.
template <typename... Args>
class SignalSpy : public SignalReceiver
{
public:
    explicit SignalSpy(Signal<Args...>& signal)
    {
        signal.connect(this, [this](Args... args) { m_calls.emplace_back(args...); });
    }
    ~SignalSpy() override { disconnectAll(); }

    int count() const { return static_cast<int>(m_calls.size()); }
    const std::vector<std::tuple<Args...>>& calls() const { return m_calls; }

private:
    std::vector<std::tuple<Args...>> m_calls;
};

}  // namespace Tesselon::Test
