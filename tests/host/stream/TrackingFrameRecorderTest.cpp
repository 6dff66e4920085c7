#include "host/stream/TrackingFrameRecorder.h"

#include "host/stream/sources/SimulatedTracker.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;
using namespace std::chrono_literals;

TrackingInstrument tracked(const std::string& id, double quality, bool visible,
                           std::optional<DeviceTime> timestamp,
                           const Eigen::Matrix4d& matrix = Eigen::Matrix4d::Identity())
{
    TrackingInstrument instrument = Tesselon::Test::instrument(id, matrix, quality);
    instrument.visible = visible;
    instrument.timestamp = timestamp;
    return instrument;
}

TEST(TrackingFrameRecorder, RecordsSamplesBetweenStartAndStopAsFramesOfInstrumentToTrackerTransforms)
{
    struct Case
    {
        const char* id;
        double quality;
        bool visible;
        bool valid;
    };
    const Case cases[] = {
        {"Stylus", 0.9, true, true}, {"Reference", 0.0, true, false}, {"Needle", 1.0, false, false}};
    std::mt19937 random(3);
    std::vector<TrackingInstrument> instruments;
    for (const Case& c : cases)
        instruments.push_back(tracked(c.id, c.quality, c.visible, DeviceTime(1000), randomPose(random)));
    // A pose in another frame than the tracker's goes by its own name.
    instruments.push_back(tracked("relative-0", 1.0, true, DeviceTime(1000)));
    instruments.back().transformName = "NeedleToReference";

    ManualTrackingStream stream;
    TrackingFrameRecorder recorder(&stream);
    stream.emitInstruments(instruments);
    recorder.start();
    stream.emitInstruments(instruments);
    stream.emitInstruments({});
    recorder.stop();
    stream.emitInstruments(instruments);
    EXPECT_FALSE(recorder.isRecording());

    const TrackingRecording recording = recorder.recording();
    ASSERT_EQ(recording.frames.size(), 2u);
    ASSERT_EQ(recording.frames[0].transforms.size(), std::size(cases) + 1);
    EXPECT_EQ(recording.frames[0].transforms.back().name, "NeedleToReference");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TrackedTransform& transform = recording.frames[0].transforms[i];
        EXPECT_EQ(transform.name, std::string(cases[i].id) + "ToTracker");
        EXPECT_EQ(transform.matrix, instruments[i].matrix) << cases[i].id;
        EXPECT_EQ(transform.valid, cases[i].valid) << cases[i].id;
    }
    EXPECT_TRUE(recording.frames[1].transforms.empty());

    recorder.start();
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(recorder.recording().frames.empty());
}

TEST(TrackingFrameRecorder, FrameTimeIsTheNewestDeviceTimeElseTheSteadyClockFromTheFirstSample)
{
    using Time = std::optional<DeviceTime>;
    struct Case
    {
        std::vector<Time> instrumentTimes;
        Time sampleTime;
        double seconds;  // negative: from the steady clock
    };
    const Case cases[] = {{{1500ms, 2500ms, {}}, 9000ms, 2.5},
                          {{123456789ms}, {}, 123456.789},
                          {{{}, {}}, 4000ms, 4.0},
                          {{{}}, 0ms, 0.0},
                          {{{}}, {}, -1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        ManualTrackingStream stream;
        TrackingFrameRecorder recorder(&stream);
        recorder.start();
        for (int k = 0; k < 2; ++k) {
            std::vector<TrackingInstrument> instruments;
            for (Time time : c.instrumentTimes)
                instruments.push_back(tracked("Tool" + std::to_string(instruments.size()), 1.0, true, time));
            stream.emitInstruments(instruments, c.sampleTime);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const TrackingRecording recording = recorder.recording();
        ASSERT_EQ(recording.frames.size(), 2u);
        EXPECT_EQ(recording.frames[0].timestamp, c.seconds < 0 ? 0.0 : c.seconds);
        if (c.seconds < 0)
            EXPECT_GE(recording.frames[1].timestamp, 0.002);
        else
            EXPECT_EQ(recording.frames[1].timestamp, c.seconds);
    }
}

TEST(TrackingFrameRecorder, RecordsAWorkerThreadStreamWhileOtherThreadsReadAndDestroyIt)
{
    SimulatedTracker tracker;
    ASSERT_TRUE(tracker.parameter("rate")->setText("1000"));
    auto recorder = std::make_unique<TrackingFrameRecorder>(&tracker);
    recorder->start();
    ASSERT_TRUE(tracker.start());
    std::atomic<bool> reading = true;
    std::thread reader([&] {
        while (reading) {
            const TrackingRecording copy = recorder->recording();
            for (std::size_t i = 1; i < copy.frames.size(); ++i)
                ASSERT_GT(copy.frames[i].timestamp, copy.frames[i - 1].timestamp);
        }
    });
    EXPECT_TRUE(waitUntil([&] { return recorder->recording().frames.size() >= 50; }));
    reading = false;
    reader.join();
    // Destroyed while the stream still emits: its slot must never run afterwards.
    recorder.reset();
    ASSERT_TRUE(tracker.stop());
}

}  // namespace
}  // namespace Tesselon
