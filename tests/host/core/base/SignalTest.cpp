#include "host/core/base/Signal.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Tesselon;

namespace {

// A receiver whose slot checks it is still alive; it disconnects first in its destructor, as
// receivers that other threads call into must.
class Listener : public SignalReceiver
{
public:
    explicit Listener(std::atomic<int>* callsOnDead = nullptr) : m_callsOnDead(callsOnDead) {}
    ~Listener() override
    {
        disconnectAll();
        m_alive = false;
    }
    void onValue(int value)
    {
        if (!m_alive && m_callsOnDead)
            ++*m_callsOnDead;
        m_sum += value;
        ++m_calls;
    }
    int calls() const { return m_calls; }
    int sum() const { return m_sum; }

private:
    std::atomic<int>* m_callsOnDead;
    std::atomic<bool> m_alive = true;
    std::atomic<int> m_calls = 0;
    std::atomic<int> m_sum = 0;
};

}  // namespace

TEST(Signal, CallsSlotsInOrderLogsThrowingOnesAndNeverCallsADisconnectedOrDeadReceiver)
{
    Tesselon::Test::LogCapture capture;
    Signal<int> signal;
    SignalReceiver receiver;
    std::vector<int> order;
    signal.connect(&receiver, [&](int v) { order.push_back(v); });
    signal.connect(&receiver, [](int) { throw std::runtime_error("broken slot"); });
    signal.connect(&receiver, [&](int v) { order.push_back(v * 10); });
    signal.emitSignal(2);
    EXPECT_EQ(order, (std::vector<int>{2, 20}));
    EXPECT_EQ(capture->count("A signal handler failed: broken slot"), 1);

    Signal<int> selfish;
    SignalReceiver leaving;
    int calls = 0;
    selfish.connect(&leaving, [&](int) {
        ++calls;
        selfish.disconnect(&leaving);
    });
    auto* listener = new Listener;
    selfish.connect(listener, [&](int) { delete listener; });
    selfish(1);
    selfish(2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(selfish.connectionCount(), 0u);

    Signal<int> members;
    {
        Listener subscriber;
        members.connect(&subscriber, &Listener::onValue);
        members(5);
        EXPECT_EQ(subscriber.sum(), 5);
    }
    EXPECT_EQ(members.connectionCount(), 0u);
    members(7);  // must not touch the dead subscriber
    Listener subscriber;
    {
        Signal<int> shortLived;
        shortLived.connect(&subscriber, &Listener::onValue);
    }
    subscriber.disconnectAll();
}

TEST(Signal, DisconnectWaitsForACallRunningOnAnotherThread)
{
    Signal<> signal;
    SignalReceiver receiver;
    std::promise<void> entered;
    std::atomic<bool> finished = false;
    signal.connect(&receiver, [&] {
        entered.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    });
    std::thread emitter([&] { signal(); });
    entered.get_future().wait();
    receiver.disconnectAll();
    EXPECT_TRUE(finished);  // disconnect returned only after the slot did
    emitter.join();
}

TEST(Signal, ReceiversDestroyedWhileAnotherThreadEmitsAreNeverCalledDead)
{
    Signal<int> signal;
    std::atomic<int> callsOnDead = 0;
    std::atomic<bool> stop = false;
    std::thread emitter([&] {
        while (!stop)
            signal(1);
    });
    for (int i = 0; i < 2000; ++i) {
        auto listener = std::make_unique<Listener>(&callsOnDead);
        signal.connect(listener.get(), &Listener::onValue);
        std::this_thread::yield();
    }
    stop = true;
    emitter.join();
    EXPECT_EQ(callsOnDead, 0);
    EXPECT_EQ(signal.connectionCount(), 0u);
}

TEST(Signal, ManyThreadsEmitAndConnectAtOnce)
{
    Signal<int> signal;
    Listener permanent;
    signal.connect(&permanent, &Listener::onValue);
    constexpr int emitters = 4, emissionsPerThread = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < emitters; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < emissionsPerThread; ++i)
                signal(1);
        });
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                Listener transient;
                signal.connect(&transient, &Listener::onValue);
                signal.connect(&transient, [&](int) { signal.disconnect(&transient); });
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(permanent.calls(), emitters * emissionsPerThread);
    EXPECT_EQ(signal.connectionCount(), 1u);
}
