#include "host/gui/TrackingStatusWidget.h"

#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

namespace Support = Tesselon::Test;

TEST(TrackingStatusWidget, LampsFollowWhetherTheTrackerSeesEachInstrument)
{
    Support::ManualTrackingStream stream;
    ASSERT_TRUE(stream.open() && stream.start());
    TrackingStatusWidget status;
    status.setStreams({&stream});

    TrackingInstrument lost = Support::instrument("Reference", Eigen::Matrix4d::Identity(), 0.0);
    lost.visible = false;
    stream.emitInstruments({Support::instrument("Needle", Eigen::Matrix4d::Identity()), lost});
    status.refresh();
    EXPECT_EQ(status.instrumentIds(), (std::vector<std::string>{"Needle", "Reference"}));
    EXPECT_TRUE(status.isSeen("Needle"));
    EXPECT_FALSE(status.isSeen("Reference"));

    // A stopped tracker sees nothing, whatever its last sample said.
    ASSERT_TRUE(stream.stop());
    status.refresh();
    EXPECT_FALSE(status.isSeen("Needle"));
}

}  // namespace
}  // namespace Tesselon
