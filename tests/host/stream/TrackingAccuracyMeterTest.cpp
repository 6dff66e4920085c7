#include "host/stream/TrackingAccuracyMeter.h"

#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

// The needle slides along x at 100 mm/s.
Eigen::Matrix4d needleAt(std::chrono::duration<double> time)
{
    return translation(100.0 * time.count(), 0.0, 0.0);
}

class TrackingAccuracyMeterTest : public testing::Test
{
protected:
    /// The source emits the truth; the output the same time's sample `outputDelay` late.
    void emit(DeviceTime time, std::chrono::milliseconds outputDelay = {})
    {
        m_source.emitInstruments({instrument("Needle", needleAt(time))}, time);
        m_output.emitInstruments({instrument("Needle", needleAt(time - outputDelay))}, time);
    }

    ManualTrackingStream m_source{"Source"};
    ManualTrackingStream m_output{"Output"};
    TrackingAccuracyMeter m_meter{m_source, [](const std::string&, std::chrono::duration<double> time) {
                                      return std::optional<Eigen::Matrix4d>(needleAt(time));
                                  }};
};

TEST_F(TrackingAccuracyMeterTest, AnOutputLateBy20MillisecondsShowsItsLagAndError)
{
    m_meter.watch(m_source, m_output);
    // Longer than the lag window, so the running figures and the window both see a long run.
    for (int time = 0; time < 3000; ++time)
        emit(DeviceTime(time), std::chrono::milliseconds(20));
    const auto reports = m_meter.report();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].samples, 3000u);
    EXPECT_NEAR(reports[0].errorBeforeMm, 0.0, 1e-9);
    EXPECT_NEAR(reports[0].errorAfterMm, 2.0, 1e-9);
    EXPECT_EQ(reports[0].lagMs, 20.0);
}

TEST_F(TrackingAccuracyMeterTest, ASourceThatRestartsItsClockIsTimedFromItsNewestEmission)
{
    m_meter.watch(m_source, m_source);
    for (int time = 0; time < 10; ++time)
        emit(DeviceTime(time));
    // The server restarts: its times begin again. A meter matching the first run's emissions would
    // report this pause as latency.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (int time = 0; time < 10; ++time)
        emit(DeviceTime(time));
    EXPECT_LT(m_meter.report().at(0).latencyMicroseconds, 100000.0);
}

}  // namespace
}  // namespace Tesselon
