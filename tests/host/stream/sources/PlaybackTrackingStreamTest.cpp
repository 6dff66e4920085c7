#include "host/stream/sources/PlaybackTrackingStream.h"

#include "host/core/config/Properties.h"
#include "host/stream/TrackingFrameRecorder.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace Tesselon {
namespace {

namespace support = Tesselon::Test;
using Sample = std::shared_ptr<const TrackingStreamData>;

/// Frames `intervalMs` apart from `startMs` (whole milliseconds, as the stream's clock keeps them):
/// "StylusToTracker" in each, "ReferenceToTracker" invalid in every third, "ProbeToTracker" in even ones.
TrackingRecording builtRecording(std::size_t count, double startMs = 12500, double intervalMs = 10)
{
    std::mt19937 random(11);
    TrackingRecording recording;
    for (std::size_t i = 0; i < count; ++i) {
        TrackingFrame frame{(startMs + static_cast<double>(i) * intervalMs) / 1000.0, {}};
        frame.transforms.push_back({"StylusToTracker", support::randomPose(random), true});
        frame.transforms.push_back({"ReferenceToTracker", support::randomPose(random), i % 3 != 0});
        if (i % 2 == 0)
            frame.transforms.push_back({"ProbeToTracker", support::randomPose(random), true});
        recording.frames.push_back(std::move(frame));
    }
    return recording;
}

void set(PlaybackTrackingStream& stream, const std::string& name, const std::string& text)
{
    ASSERT_TRUE(stream.parameter(name)->setText(text)) << name;
}

/// Keeps the samples and counts `finished`.
struct PlaybackRecorder : support::SampleRecorder
{
    explicit PlaybackRecorder(PlaybackTrackingStream& stream) : SampleRecorder(stream)
    {
        stream.finished.connect(this, [this] { ++finishedCount; });
    }
    ~PlaybackRecorder() override { disconnectAll(); }
    bool waitForFinished(int count = 1)
    {
        return support::waitUntil([&] { return finishedCount >= count; });
    }

    std::atomic<int> finishedCount = 0;
};

TEST(PlaybackTrackingStream, InstrumentIdDropsOnlyATrailingToTracker)
{
    const std::pair<const char*, const char*> cases[] = {{"StylusToTracker", "Stylus"},
                                                         {"StylusToTrackerToTracker", "StylusToTracker"},
                                                         {"ToTrackerStylus", "ToTrackerStylus"},
                                                         {"ToTracker", "ToTracker"},
                                                         {"Stylus", "Stylus"}};
    for (const auto& [name, id] : cases)
        EXPECT_EQ(PlaybackTrackingStream::instrumentId(name), id) << name;

    // A pose recorded in another frame keeps its name, so recording the playback again writes it back.
    TrackingRecording relative;
    relative.frames.push_back({0.0, {{"NeedleToReference", Eigen::Matrix4d::Identity(), true}}});
    const std::vector<TrackingInstrument> played = PlaybackTrackingStream(relative).instruments();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].id.ID(), "NeedleToReference");
    EXPECT_EQ(played[0].transformName, "NeedleToReference");

    // A field recording: Seq_Frame0000_Timestamp = 280.4611428572264
    const auto field = PlaybackTrackingStream::fromFile(
        TESSELON_TEST_DATA_DIR "/EightLandmarkPointsTrackedForPhantomRegistration.igs.mha");
    const std::vector<TrackingInstrument> first = field->instruments();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].id.ID(), "Reference");
    EXPECT_EQ(first[1].id.ID(), "Stylus");
    EXPECT_EQ(first[1].timestamp, DeviceTime(280461));
}

TEST(PlaybackTrackingStream, PlaysEachFrameOnceThenFinishesOnceAndStaysRunning)
{
    const TrackingRecording recording = builtRecording(7);
    PlaybackTrackingStream stream(recording);
    PlaybackRecorder samples(stream);
    TrackingFrameRecorder replayed(&stream);
    replayed.start();
    set(stream, "speed", "0");
    support::LogCapture log;
    ASSERT_TRUE(stream.start());
    ASSERT_TRUE(samples.waitForFinished());
    // Recording the playback gives the frames back: IDs, poses, validity and device times.
    EXPECT_EQ(replayed.recording().frames, recording.frames);
    const std::vector<Sample> played = samples.trackingSamples();
    for (const Sample& sample : played) {
        for (const TrackingInstrument& instrument : sample->instruments()) {
            EXPECT_EQ(instrument.quality, instrument.visible ? 1.0 : 0.0);
            EXPECT_EQ(instrument.timestamp, sample->timestampDevice());
        }
    }
    EXPECT_EQ(stream.instruments().back().matrix, played.back()->instruments().back().matrix);
    EXPECT_EQ(stream.state(), Stream::Running);
    EXPECT_EQ(log->count("Playback of \"Recording Playback\" finished after 7 frames; start the stream again "
                         "to replay it, or turn on \"loop\"."),
              1);

    // Nothing follows the end; starting again plays from the first frame.
    ASSERT_TRUE(stream.stop());
    EXPECT_EQ(samples.count(), 7u);
    samples.clear();
    ASSERT_TRUE(stream.start());
    ASSERT_TRUE(samples.waitForFinished(2));
    EXPECT_EQ(samples.count(), 7u);
    EXPECT_EQ(samples.trackingSamples().front()->timestampDevice(), DeviceTime(12500));
}

TEST(PlaybackTrackingStream, RecordedStreamRoundTripsThroughASequenceFile)
{
    support::ManualTrackingStream source;
    TrackingFrameRecorder recorder(&source);
    recorder.start();
    std::mt19937 random(5);
    std::vector<std::vector<TrackingInstrument>> emitted;
    for (std::uint64_t k = 0; k < 40; ++k) {
        std::vector<TrackingInstrument> instruments = {
            support::instrument("Stylus", support::randomPose(random), 0.93),
            support::instrument("Reference", support::randomPose(random), k % 7 == 0 ? 0.0 : 0.5)};
        instruments[0].visible = k % 5 != 0;
        for (TrackingInstrument& instrument : instruments)
            instrument.timestamp = DeviceTime(1'700'000'000'000 + 17 * k);
        source.emitInstruments(instruments);
        emitted.push_back(std::move(instruments));
    }
    QTemporaryDir directory;
    const std::string path = directory.filePath("session.mha").toStdString();
    recorder.save(path);

    const auto playback = PlaybackTrackingStream::fromFile(path);
    set(*playback, "speed", "0");
    PlaybackRecorder samples(*playback);
    TrackingFrameRecorder again(playback.get());
    again.start();
    ASSERT_TRUE(playback->start());
    ASSERT_TRUE(samples.waitForFinished());
    const std::vector<Sample> played = samples.trackingSamples();
    ASSERT_EQ(played.size(), emitted.size());
    for (std::size_t k = 0; k < played.size(); ++k) {
        EXPECT_EQ(played[k]->timestampDevice(), emitted[k][0].timestamp);
        EXPECT_EQ(played[k]->instrument("Stylus")->visible, k % 5 != 0) << k;
        EXPECT_EQ(played[k]->instrument("Reference")->visible, k % 7 != 0) << k;
    }
    EXPECT_EQ(again.recording().frames, recorder.recording().frames);
}

TEST(PlaybackTrackingStream, LoopKeepsDeviceTimeIncreasingByOneFrameIntervalPerLoop)
{
    // 4 frames 10 ms apart: each loop lasts 30 ms plus one 10 ms interval.
    auto stream = std::make_unique<PlaybackTrackingStream>(builtRecording(4, 500, 10));
    set(*stream, "loop", "true");
    set(*stream, "speed", "10");
    PlaybackRecorder samples(*stream);
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(support::waitUntil([&] { return samples.count() >= 14; }));
    // Destroyed while running: the worker stops and nothing is emitted after.
    stream.reset();
    const std::size_t atDestruction = samples.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(samples.count(), atDestruction);
    const std::vector<Sample> played = samples.trackingSamples();
    for (std::size_t k = 0; k < played.size(); ++k) {
        ASSERT_EQ(played[k]->instruments()[0].timestamp, DeviceTime(500 + 10 * k)) << k;
        ASSERT_EQ(played[k]->instruments()[0].matrix, played[k % 4]->instruments()[0].matrix) << k;
    }
    EXPECT_EQ(samples.finishedCount, 0);
}

TEST(PlaybackTrackingStream, SpeedScalesTheRecordedTimeAndZeroPlaysAtOnce)
{
    struct Case
    {
        const char* speed;
        std::size_t frames;
        double intervalMs;
        std::chrono::milliseconds shortest;
    };
    // An hour at speed 0 finishes within the wait; 200 ms at speed 4 cannot finish before 50 ms.
    for (const Case& c : {Case{"0", 1000, 3600, {}}, Case{"4", 21, 10, std::chrono::milliseconds(50)}}) {
        SCOPED_TRACE(c.speed);
        PlaybackTrackingStream stream(builtRecording(c.frames, 0, c.intervalMs));
        set(stream, "speed", c.speed);
        PlaybackRecorder samples(stream);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(stream.start());
        ASSERT_TRUE(samples.waitForFinished());
        EXPECT_GE(std::chrono::steady_clock::now() - started, c.shortest);
        EXPECT_EQ(samples.count(), c.frames);
    }
}

TEST(PlaybackTrackingStream, StopOrPauseKeepsThePositionAndStartOrResumeContinuesAtTheNextFrame)
{
    struct Case
    {
        bool (Stream::*halt)();
        bool (Stream::*proceed)();
        Stream::State halted;
    };
    for (const Case& c : {Case{&Stream::stop, &Stream::start, Stream::Open},
                          Case{&Stream::pause, &Stream::resume, Stream::Paused}}) {
        SCOPED_TRACE(c.halted);
        // A minute between frames: the worker is waiting for the second one when it is halted.
        PlaybackTrackingStream stream(builtRecording(5, 0, 60'000));
        PlaybackRecorder samples(stream);
        ASSERT_TRUE(stream.start());
        ASSERT_TRUE(support::waitUntil([&] { return samples.count() == 1; }));
        ASSERT_TRUE((stream.*c.halt)());
        EXPECT_EQ(stream.state(), c.halted);
        EXPECT_EQ(samples.count(), 1u);

        // A new speed also wakes the worker waiting for the frame after the next.
        ASSERT_TRUE((stream.*c.proceed)());
        set(stream, "speed", "0");
        ASSERT_TRUE(samples.waitForFinished());
        const std::vector<Sample> played = samples.trackingSamples();
        ASSERT_EQ(played.size(), 5u);
        for (std::size_t k = 0; k < played.size(); ++k)
            EXPECT_EQ(played[k]->timestampDevice(), DeviceTime(60'000 * k)) << k;
    }
}

TEST(PlaybackTrackingStream, RefusesInvalidSpeedAndEmptyRecordingsWithOneErrorEach)
{
    PlaybackTrackingStream stream(builtRecording(2));
    set(stream, "speed", "2.5");
    for (const char* text : {"-1", "-0.001", "nan", "inf"}) {
        support::LogCapture log;
        Properties properties;
        properties.setParamText("speed", text);
        stream.configure(&properties);
        EXPECT_EQ(stream.parameter("speed")->text(), "2.5") << text;
        ASSERT_EQ(log->messages().size(), 1u) << text;
        EXPECT_EQ(log->messages()[0].level, Log::Warning);
        EXPECT_TRUE(log->contains("Rejected speed")) << text;
    }

    TrackingRecording empty;
    empty.sourceName = "empty.mha";
    PlaybackTrackingStream nothing(empty, "Empty Playback");
    support::LogCapture log;
    EXPECT_FALSE(nothing.open());
    EXPECT_FALSE(nothing.start());
    EXPECT_EQ(nothing.state(), Stream::Failed);
    const std::string reason =
        "Cannot play \"Empty Playback\": the recording \"empty.mha\" holds no frames. "
        "Choose a recording with at least one tracked frame.";
    EXPECT_EQ(nothing.failureReason(), reason);
    EXPECT_EQ(log->count(reason), 2);
    EXPECT_EQ(log->messages().size(), 2u);
}

}  // namespace
}  // namespace Tesselon
