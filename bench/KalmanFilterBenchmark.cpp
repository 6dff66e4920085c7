#include "host/stream/KalmanPosition.h"
#include "host/stream/KalmanQuaternion.h"

#include <benchmark/benchmark.h>

#include <Eigen/Geometry>
#include <array>
#include <cmath>

using namespace Tesselon;

namespace {

constexpr KalmanTimeStep kDt(1.0);
constexpr int kSamples = 256;  // a cycle of precomputed measurements, so the loop times only the filter

void KalmanPositionUpdate(benchmark::State& state)
{
    std::array<Eigen::Vector3d, kSamples> samples;
    for (int i = 0; i < kSamples; ++i) {
        samples[i] = Eigen::Vector3d(std::sin(0.1 * i), std::cos(0.07 * i), 0.01 * i) * 50.0;
    }
    KalmanPosition filter;
    filter.setMeasurementSigma(0.0625);
    filter.setProcessVariance(1e-9);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.update(samples[i], kDt));
        i = (i + 1) % kSamples;
    }
}
BENCHMARK(KalmanPositionUpdate);

void KalmanQuaternionUpdate(benchmark::State& state)
{
    std::array<Eigen::Vector4d, kSamples> samples;
    for (int i = 0; i < kSamples; ++i) {
        const Eigen::Quaterniond q(Eigen::AngleAxisd(0.01 * i, Eigen::Vector3d(1, 2, 3).normalized()));
        // Alternate signs so the hemisphere flip is exercised as in live data.
        const double sign = i % 2 == 0 ? 1.0 : -1.0;
        samples[i] = sign * Eigen::Vector4d(q.w(), q.x(), q.y(), q.z());
    }
    KalmanQuaternion filter;
    filter.setMeasurementSigma(1e-6);
    filter.setProcessVariance(1e-12);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(filter.update(samples[i], kDt));
        i = (i + 1) % kSamples;
    }
}
BENCHMARK(KalmanQuaternionUpdate);

}  // namespace

BENCHMARK_MAIN();
