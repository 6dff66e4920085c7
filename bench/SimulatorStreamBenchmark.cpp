// The live path: the simulated tracker emitting into a Kalman-smoothed stream and on to a subscriber.
// Measures the cost per sample on the emitting thread, and runs the tracker in real time at 1 kHz with
// 16 instruments to count samples that never reached the subscriber.
#include "host/core/base/SignalReceiver.h"
#include "host/stream/TrackingStreamData.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/streams/SmoothedTrackingStream.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <optional>
#include <thread>

using namespace Tesselon;

namespace {

std::string pointers(int count)
{
    std::string ids = "Pointer";
    for (int i = 2; i <= count; ++i)
        ids += ",Pointer" + std::to_string(i);
    return ids;
}

void configureTracker(SimulatedTracker& tracker, int instruments, double rate)
{
    Properties configuration;
    configuration.setParam("instruments", pointers(instruments));
    configuration.setParam("rate", rate);
    tracker.configure(&configuration);
}

/// Counts the samples it receives and the gaps in their device timestamps.
class Subscriber : public SignalReceiver
{
public:
    explicit Subscriber(TrackingStream& stream)
    {
        stream.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) {
            const auto timestamp = sample->timestampDevice();
            if (m_last && timestamp <= m_last)
                ++outOfOrder;
            m_last = timestamp;
            ++received;
        });
    }
    ~Subscriber() override { disconnectAll(); }
    std::atomic<std::int64_t> received = 0;
    std::atomic<std::int64_t> outOfOrder = 0;

private:
    std::optional<DeviceTime> m_last;
};

void SimulatorEmitToSubscriber(benchmark::State& state)
{
    SimulatedTracker tracker;
    configureTracker(tracker, static_cast<int>(state.range(0)), 1000.0);
    SmoothedTrackingStream smoothed(&tracker);
    Subscriber subscriber(smoothed);
    for (auto _ : state)
        tracker.emitNext();
    state.counters["ns/instrument"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RealTimeAtOneKilohertz(benchmark::State& state)
{
    constexpr double seconds = 2.0;
    for (auto _ : state) {
        SimulatedTracker tracker;
        configureTracker(tracker, static_cast<int>(state.range(0)), 1000.0);
        SmoothedTrackingStream smoothed(&tracker);
        Subscriber direct(tracker);
        Subscriber subscriber(smoothed);
        smoothed.open();
        smoothed.start();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        smoothed.stop();
        state.counters["emitted"] = static_cast<double>(direct.received);
        state.counters["received"] = static_cast<double>(subscriber.received);
        state.counters["dropped"] = static_cast<double>(direct.received - subscriber.received);
        state.counters["outOfOrder"] = static_cast<double>(subscriber.outOfOrder);
    }
}

}  // namespace

BENCHMARK(SimulatorEmitToSubscriber)->Arg(1)->Arg(4)->Arg(16)->Arg(64);
BENCHMARK(RealTimeAtOneKilohertz)->Arg(16)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
