#include "host/stream/TrackingAccuracyMeter.h"

#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

// The needle slides along x at 100 mm/s.
std::optional<Eigen::Matrix4d> needleAt(std::chrono::duration<double> time)
{
    return translation(100.0 * time.count(), 0.0, 0.0);
}

/// The source emits the truth at each time; the output the same time's sample `delay` late.
void emitRun(ManualTrackingStream& source, ManualTrackingStream& output, int samples,
             std::chrono::milliseconds delay)
{
    for (DeviceTime time(0); time < DeviceTime(samples); ++time) {
        source.emitInstruments({instrument("Needle", *needleAt(time))}, time);
        output.emitInstruments({instrument("Needle", *needleAt(time - delay))}, time);
    }
}

TEST(TrackingAccuracyMeter, ShowsTheLagAndErrorOfALateOutputAndTimesARestartedSourceFromItsNewRun)
{
    ManualTrackingStream source;
    ManualTrackingStream output;
    TrackingAccuracyMeter meter(source, [](const std::string&, auto time) { return needleAt(time); });
    meter.watch(source, output);
    // Longer than the lag window, so the running figures and the window see different spans.
    emitRun(source, output, 1000, std::chrono::milliseconds(23));
    // The source restarts its clock: a meter matching the first run's emissions would report the pause as
    // latency.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    emitRun(source, output, 600, std::chrono::milliseconds(23));

    const auto reports = meter.report();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].samples, 1600u);
    EXPECT_NEAR(reports[0].errorBeforeMm, 0.0, 1e-9);
    EXPECT_NEAR(reports[0].errorAfterMm, 2.3, 1e-9);
    EXPECT_EQ(reports[0].lagMs, 23.0);
    EXPECT_LT(reports[0].latencyMicroseconds, 50000.0);
}

}  // namespace
}  // namespace Tesselon
