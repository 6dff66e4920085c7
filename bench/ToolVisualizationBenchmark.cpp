#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include <benchmark/benchmark.h>

#include <fmt/core.h>

#include <string>
#include <vector>

using namespace Tesselon;

namespace {

constexpr int kSamples = 256;  // a cycle of simulated samples, so the loop times only the algorithm

/// Simulated samples of this many instruments (with their raw fiducials), the needle among them.
std::vector<std::shared_ptr<const TrackingStreamData>> samples(SimulatedTracker& tracker, int instruments)
{
    std::string ids = "Reference,Needle";
    for (int i = 2; i < instruments; ++i)
        ids += fmt::format(",Pointer{}", i);
    Properties configuration;
    configuration.setParam("instruments", ids);
    tracker.configure(&configuration);
    std::vector<std::shared_ptr<const TrackingStreamData>> generated;
    for (int i = 0; i < kSamples; ++i)
        generated.push_back(tracker.generateSample());
    return generated;
}

/// The per-sample cost of following the calibrated needle, alone or relative to the reference, as the
/// number of instruments in each sample grows.
void ToolVisualizationPerSample(benchmark::State& state)
{
    SimulatedTracker tracker;
    const auto generated = samples(tracker, static_cast<int>(state.range(0)));
    tracker.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
        "Needle", Eigen::Matrix4d::Identity(), 0.0);
    ToolVisualizationAlgorithm tool(&tracker);
    tool.trackingTargetId = "Needle";
    tool.trackingTargetRelId = state.range(1) ? "Reference" : "";
    tool.running = true;
    int i = 0;
    for (auto _ : state) {
        tool.onStreamData(generated[static_cast<std::size_t>(i)]);
        benchmark::DoNotOptimize(tool.lastToolMatrix());
        i = (i + 1) % kSamples;
    }
    state.SetLabel(state.range(1) ? "relative to the reference" : "in tracker coordinates");
}
BENCHMARK(ToolVisualizationPerSample)
    ->ArgsProduct({{2, 16, 64}, {0, 1}})
    ->ArgNames({"instruments", "relative"});

}  // namespace

BENCHMARK_MAIN();
