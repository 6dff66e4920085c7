#include "host/core/io/TrackingRecording.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/TrackingStreamRecorder.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Tesselon;
namespace T = Tesselon::Test;

namespace {

TrackingRecording recording()
{
    TrackingRecording result;
    const Eigen::Matrix4d reference = T::pose({0, 0, 1}, 90, {10, 0, 0});
    for (int frame = 0; frame < 4; ++frame) {
        TrackingFrame tracked;
        tracked.timestamp = 0.1 * frame;
        tracked.transforms.push_back({"ReferenceToTracker", reference, frame != 2});
        tracked.transforms.push_back({"StylusToTracker", reference * T::translation(frame, 0, 0), true});
        result.frames.push_back(tracked);
    }
    return result;
}

}  // namespace

TEST(TrackingSequence, FromRecordingExpressesPosesRelativeToTheReferenceAndKeepsInvalidFramesInPlace)
{
    const auto sequence =
        TrackingSequence::fromRecording(recording(), "StylusToTracker", "ReferenceToTracker", 1, 3);
    ASSERT_EQ(sequence->size(), 3u);
    EXPECT_TRUE(sequence->sample(0).markerToTracker.isApprox(T::translation(1, 0, 0)));
    EXPECT_FALSE(sequence->isValid(1));  // the reference was not seen in frame 2
    EXPECT_TRUE(sequence->isValid(2));
    EXPECT_DOUBLE_EQ(sequence->sample(2).timestampSeconds.value(), 0.3);
    EXPECT_EQ(sequence->trackerId().ID(), "StylusToTracker");
    EXPECT_THROW(TrackingSequence::fromRecording(recording(), "NeedleToTracker"), std::exception);
}

TEST(TrackingSequence, NonRigidAndNonFinitePosesAreInvalidAndMatrixAppliesTheCalibrationOnTheRight)
{
    TrackingSequence sequence(TrackerID("Tool"));
    Eigen::Matrix4d scaled = Eigen::Matrix4d::Identity() * 2.0;
    scaled(3, 3) = 1.0;
    Eigen::Matrix4d broken = Eigen::Matrix4d::Identity();
    broken(0, 3) = std::numeric_limits<double>::quiet_NaN();
    const Eigen::Matrix4d markerToTracker = T::pose({0, 1, 0}, 40, {5, 5, 5});
    sequence.add({scaled, 1.0, 0.0, {}});
    sequence.add({broken, 1.0, 0.0, {}});
    sequence.add({markerToTracker, 1.0, 0.0, {}});
    EXPECT_EQ(sequence.validCount(), 1u);
    EXPECT_TRUE(sequence.sample(1).markerToTracker.allFinite());
    const Eigen::Matrix4d tipToMarker = T::translation(0, 0, -150);
    sequence.setCalibration(tipToMarker);
    EXPECT_TRUE(sequence.matrix(2).isApprox(markerToTracker * tipToMarker));
}

TEST(TrackingStreamRecorder, RecordsOnlyTheChosenInstrumentBetweenStartAndStop)
{
    T::ManualTrackingStream stream;
    TrackingStreamRecorder recorder(&stream);
    recorder.setRecordAllInstruments(false);
    recorder.setRecordingInstrument("Needle");
    const auto emit = [&] {
        stream.emitInstruments({T::instrument("Needle", T::translation(1, 0, 0)),
                                T::instrument("Reference", Eigen::Matrix4d::Identity())},
                               DeviceTime(1500));
    };
    emit();  // before start: not recorded
    recorder.start();
    emit();
    auto hidden = T::instrument("Needle", T::translation(2, 0, 0));
    hidden.visible = false;
    stream.emitInstruments({hidden});  // without a device time
    recorder.stop();
    emit();  // after stop: not recorded
    auto output = recorder.takeOutput();
    ASSERT_EQ(output.size(), 1u);
    const auto& sequence = dynamic_cast<const TrackingSequence&>(*output.front());
    EXPECT_EQ(sequence.trackerId().ID(), "Needle");
    ASSERT_EQ(sequence.size(), 2u);
    EXPECT_DOUBLE_EQ(sequence.sample(0).timestampSeconds.value(), 1.5);
    EXPECT_FALSE(sequence.isValid(1));
    EXPECT_EQ(sequence.sample(1).timestampSeconds, std::nullopt);
    EXPECT_TRUE(recorder.takeOutput().empty());
}
