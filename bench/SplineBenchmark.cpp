// Cost of finding how far along a planned path a tracked tip is, per tracking sample: the nearest point on
// a spline through 10, 100 and 1000 control points, against a plain sampled search (16 samples per segment,
// what one might write first) whose arc-length error is reported next to it. Also the cost of building
// the spline, paid whenever the path changes.
#include "host/core/geometry/Spline.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

using namespace Tesselon;

namespace {

constexpr int kQueries = 256;  // a cycle of precomputed tip positions, so the loop times only the search
constexpr int kSamplesPerSegment = 16;

// A helix of three turns, radius 20 mm and 150 mm high, through `count` control points.
std::vector<Eigen::Vector3d> helix(int count)
{
    std::vector<Eigen::Vector3d> points;
    for (int i = 0; i < count; ++i) {
        const double along = static_cast<double>(i) / (count - 1);
        const double angle = 3.0 * 2.0 * std::numbers::pi * along;
        points.emplace_back(20.0 * std::cos(angle), 20.0 * std::sin(angle), 150.0 * along);
    }
    return points;
}

// Tip positions within 5 mm of the path.
std::vector<Eigen::Vector3d> tipsNear(const Spline& spline)
{
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> along(0.0, spline.getCurveLength());
    std::uniform_real_distribution<double> offset(-5.0 / std::sqrt(3.0), 5.0 / std::sqrt(3.0));
    std::vector<Eigen::Vector3d> tips;
    for (int i = 0; i < kQueries; ++i)
        tips.push_back(spline.evaluate(spline.arcLengthToSplineCoord(along(random))) +
                       Eigen::Vector3d(offset(random), offset(random), offset(random)));
    return tips;
}

double sampledNearestArcLength(const Spline& spline, const Eigen::Vector3d& tip)
{
    const int samples = kSamplesPerSegment * static_cast<int>(spline.controlPoints().size() - 1);
    double best = std::numeric_limits<double>::infinity();
    double bestT = 0.0;
    for (int i = 0; i <= samples; ++i) {
        const double t = static_cast<double>(i) / kSamplesPerSegment;
        const double squared = (spline.evaluate(t) - tip).squaredNorm();
        if (squared < best) {
            best = squared;
            bestT = t;
        }
    }
    return spline.splineCoordToArcLength(bestT);
}

void NearestPointArcLength(benchmark::State& state)
{
    const Spline spline(helix(static_cast<int>(state.range(0))));
    const std::vector<Eigen::Vector3d> tips = tipsNear(spline);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(spline.calculateNearestPointArcLength(tips[i]));
        i = (i + 1) % kQueries;
    }
}
BENCHMARK(NearestPointArcLength)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void SampledNearestBaseline(benchmark::State& state)
{
    const Spline spline(helix(static_cast<int>(state.range(0))));
    const std::vector<Eigen::Vector3d> tips = tipsNear(spline);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampledNearestArcLength(spline, tips[i]));
        i = (i + 1) % kQueries;
    }
    double worst = 0.0;
    for (const Eigen::Vector3d& tip : tips)
        worst = std::max(worst, std::abs(sampledNearestArcLength(spline, tip) -
                                         spline.calculateNearestPointArcLength(tip)));
    state.counters["max_arc_error_mm"] = worst;
}
BENCHMARK(SampledNearestBaseline)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void Construction(benchmark::State& state)
{
    const std::vector<Eigen::Vector3d> points = helix(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Spline(points).getCurveLength());
}
BENCHMARK(Construction)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
