// Cost per sample of the derived streams, each beside a pass-through stream measured in the same run.
// The table printed at the end gives nanoseconds per instrument per sample and the ratio to the
// pass-through stream for each instrument count.
#include "host/core/base/SignalReceiver.h"
#include "host/stream/PassiveTrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"

#include <benchmark/benchmark.h>
#include <fmt/core.h>
#include <Eigen/Geometry>

#include <map>
#include <random>

using namespace Tesselon;

namespace {

/// Emits prepared samples on the calling thread.
class BenchSource : public PassiveTrackingStream
{
public:
    explicit BenchSource(int instrumentCount) : PassiveTrackingStream("Bench Source")
    {
        std::mt19937_64 random(7);
        std::normal_distribution<double> noise(0.0, 0.2);
        for (int sample = 0; sample < 64; ++sample) {
            std::vector<TrackingInstrument> instruments;
            for (int i = 0; i < instrumentCount; ++i) {
                TrackingInstrument instrument;
                instrument.id = TrackerID("tool-" + std::to_string(i), "", "Tool " + std::to_string(i));
                instrument.matrix.topLeftCorner<3, 3>() =
                    Eigen::AngleAxisd(0.1 * i + 0.01 * noise(random), Eigen::Vector3d::UnitZ())
                        .toRotationMatrix();
                instrument.matrix.topRightCorner<3, 1>() =
                    Eigen::Vector3d(i + noise(random), noise(random), 100);
                instrument.quality = 1.0;
                instruments.push_back(instrument);
            }
            auto data = std::make_shared<TrackingStreamData>(this, instruments);
            data->setTimestampDevice(DeviceTime(sample + 1));
            m_samples.push_back(std::move(data));
        }
    }
    void emitNext()
    {
        // Device time keeps advancing so the filters always see a positive step.
        auto sample = std::make_shared<TrackingStreamData>(*m_samples[m_next % m_samples.size()]);
        sample->setTimestampDevice(DeviceTime(++m_next));
        newData.emitSignal(std::move(sample));
    }
    std::vector<TrackingInstrument> instruments() const override { return m_samples.front()->instruments(); }

private:
    std::vector<std::shared_ptr<const TrackingStreamData>> m_samples;
    std::uint64_t m_next = 0;
};

/// The cheapest derived stream: copies each sample's instruments into a new sample of its own.
class PassThroughStream : public PassiveTrackingStream, public SignalReceiver
{
public:
    explicit PassThroughStream(TrackingStream& input) : PassiveTrackingStream("Pass-through")
    {
        input.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) {
            const auto& tracking = static_cast<const TrackingStreamData&>(*sample);
            auto copy = std::make_shared<TrackingStreamData>(this, tracking.instruments());
            copy->setTimestampArrival(StreamData::nowMilliseconds());
            newData.emitSignal(std::move(copy));
        });
    }
    ~PassThroughStream() override { disconnectAll(); }
    std::vector<TrackingInstrument> instruments() const override { return {}; }
};

/// Receives the derived samples, so the whole emission path is measured.
class Sink : public SignalReceiver
{
public:
    explicit Sink(TrackingStream& stream)
    {
        stream.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) {
            benchmark::DoNotOptimize(sample.get());
            ++received;
        });
    }
    std::int64_t received = 0;
};

template <class Derived>
void measure(benchmark::State& state, BenchSource& source, Derived& derived)
{
    Sink sink(derived);
    for (auto _ : state)
        source.emitNext();
    const auto instruments = static_cast<double>(state.range(0));
    state.counters["ns/instrument"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * instruments,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (sink.received != state.iterations())
        state.SkipWithError("a derived sample was not delivered");
}

void PassThrough(benchmark::State& state)
{
    BenchSource source(static_cast<int>(state.range(0)));
    PassThroughStream derived(source);
    measure(state, source, derived);
}

void Smoothed(benchmark::State& state, SmoothedTrackingStream::SmoothingMode mode)
{
    BenchSource source(static_cast<int>(state.range(0)));
    SmoothedTrackingStream derived(&source);
    Properties configuration;
    configuration.setParam("smoothingMode", static_cast<int>(mode));
    configuration.setParam("smoothingInterval", 200);  // the default window
    derived.configure(&configuration);
    measure(state, source, derived);
}

void Combined(benchmark::State& state)
{
    // One instruction per instrument: each tool relative to tool 0, the usual reference-marker set-up.
    BenchSource source(static_cast<int>(state.range(0)));
    CombinedTrackingStream derived(std::vector<TrackingStream*>{&source});
    for (int i = 0; i < state.range(0); ++i) {
        CombinationInstruction instruction;
        instruction.outputInstrument = "Tool " + std::to_string(i) + " in reference";
        instruction.preStreamName = source.name();
        instruction.preInstrument = TrackerID("tool-0").toIDModelNameString();
        instruction.postStreamName = source.name();
        instruction.postInstrument = TrackerID("tool-" + std::to_string(i)).toIDModelNameString();
        derived.addOutputInstrument(instruction);
    }
    derived.start();
    measure(state, source, derived);
}

/// Prints, per instrument count, each stream's cost per instrument and its ratio to the pass-through.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            const auto slash = name.rfind('/');
            if (slash == std::string::npos || run.error_occurred)
                continue;
            const int instruments = std::stoi(name.substr(slash + 1));
            m_costs[instruments][name.substr(0, slash)] = run.GetAdjustedRealTime() / instruments;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        fmt::print("\n{:>12} {:>22} {:>16} {:>8}\n", "instruments", "stream", "ns/instrument", "ratio");
        for (const auto& [count, streams] : m_costs) {
            const double passThrough = streams.count("PassThrough") ? streams.at("PassThrough") : 0.0;
            for (const auto& [stream, cost] : streams)
                fmt::print("{:>12} {:>22} {:>16.1f} {:>8.2f}\n", count, stream, cost,
                           passThrough > 0.0 ? cost / passThrough : 0.0);
        }
    }

private:
    std::map<int, std::map<std::string, double>> m_costs;
};

}  // namespace

BENCHMARK(PassThrough)->Arg(1)->Arg(4)->Arg(16)->Arg(64);
BENCHMARK_CAPTURE(Smoothed, None, SmoothedTrackingStream::None)->Arg(1)->Arg(4)->Arg(16)->Arg(64);
BENCHMARK_CAPTURE(Smoothed, Average, SmoothedTrackingStream::WeightedAverage)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->Arg(64);
BENCHMARK_CAPTURE(Smoothed, Kalman, SmoothedTrackingStream::KalmanFilter)->Arg(1)->Arg(4)->Arg(16)->Arg(64);
BENCHMARK(Combined)->Arg(1)->Arg(4)->Arg(16)->Arg(64);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
