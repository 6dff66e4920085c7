#include "navigation/registration/DwellCapture.h"

#include "navigation/registration/PointsOnTrackingStream.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/ProcessEventsUntil.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

/// Emits the pointer at `tip` from another thread every 5 ms of device time for `milliseconds`, unseen when
/// `seen` is false; `clock` is the device time, carried from call to call.
void holdPointer(ManualTrackingStream& stream, DeviceTime& clock, const Eigen::Vector3d& tip, int milliseconds,
                 bool seen = true)
{
    std::thread([&] {
        for (const DeviceTime end = clock + DeviceTime(milliseconds); clock < end; clock += DeviceTime(5)) {
            auto pointer = instrument("Pointer", translation(tip.x(), tip.y(), tip.z()));
            pointer.visible = seen;
            stream.emitInstruments({pointer}, clock);
        }
    }).join();
}

}  // namespace

TEST(DwellCapture, TakesEachRestOnceFromTheStreamsThreadAndOnlyWhenEnabledAndSeen)
{
    ManualTrackingStream stream;
    PointsOnTrackingStream points(stream);
    points.setUseMainInstrument(false);
    points.setTrackerId("Pointer");
    DwellCapture capture(points);
    capture.setSettings({0.5, 0.2, 5.0});
    SignalReceiver receiver;
    std::vector<int> captured;
    capture.captured.connect(&receiver, [&](int index) { captured.push_back(index); });

    DeviceTime clock(0);
    holdPointer(stream, clock, {0, 0, 0}, 400);  // disabled
    capture.setEnabled(true);
    holdPointer(stream, clock, {0, 0, 0}, 400);  // resting where watching started
    holdPointer(stream, clock, {20, 0, 0}, 400);
    holdPointer(stream, clock, {40, 0, 0}, 400, false);  // a rest the tracker does not see
    holdPointer(stream, clock, {20, 30, 0}, 400);
    ASSERT_TRUE(processEventsUntil([&] { return points.size() == 2; }));
    EXPECT_TRUE(points.allPoints()[0].isApprox(Eigen::Vector3d(20, 0, 0), 1e-6));
    EXPECT_TRUE(points.allPoints()[1].isApprox(Eigen::Vector3d(20, 30, 0), 1e-6));
    EXPECT_EQ(captured, (std::vector<int>{0, 1}));
}
