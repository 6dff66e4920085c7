#include "host/gui/TrackingStatusWidget.h"

#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

namespace Support = Tesselon::Test;

TEST(TrackingStatusWidget, EachStreamsLampsFollowWhetherItsTrackerSeesEachInstrument)
{
    Support::ManualTrackingStream simulated("Simulated");
    Support::ManualTrackingStream network("Network");
    ASSERT_TRUE(simulated.open() && simulated.start() && network.open() && network.start());
    TrackingStatusWidget status;
    status.setStreams({&simulated, &network});

    TrackingInstrument lost = Support::instrument("Reference", Eigen::Matrix4d::Identity(), 0.0);
    lost.visible = false;
    const TrackingInstrument needle = Support::instrument("Needle", Eigen::Matrix4d::Identity());
    simulated.emitInstruments({needle, lost});
    network.emitInstruments({needle});
    status.refresh();
    EXPECT_EQ(status.instrumentIds(simulated), (std::vector<std::string>{"Needle", "Reference"}));
    EXPECT_TRUE(status.isSeen(simulated, "Needle"));
    EXPECT_FALSE(status.isSeen(simulated, "Reference"));

    // A stopped tracker sees nothing, whatever its last sample said, and says nothing of the other's tools.
    ASSERT_TRUE(network.stop());
    status.refresh();
    EXPECT_FALSE(status.isSeen(network, "Needle"));
    EXPECT_TRUE(status.isSeen(simulated, "Needle"));
}

}  // namespace
}  // namespace Tesselon
