#include "navigation/streams/CombinedTrackingStream.h"

#include "host/core/config/Properties.h"
#include "host/core/model/DataList.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <thread>

using namespace Tesselon;
using namespace Tesselon::Test;
using Mode = CombinationInstruction::CombinationMode;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

/// Names the instruments in the text form with a model and name unlike what the streams report:
/// instruments are matched by ID alone.
CombinationInstruction combination(const std::string& output, const std::string& referenceStream,
                                   const std::string& referenceId, const std::string& targetStream,
                                   const std::string& targetId, Mode mode)
{
    CombinationInstruction instruction;
    instruction.outputInstrument = output;
    instruction.preStreamName = referenceStream;
    instruction.preInstrument = TrackerID(referenceId, "some model", "some name").toIDModelNameString();
    instruction.postStreamName = targetStream;
    instruction.postInstrument = TrackerID(targetId, "some model", "some name").toIDModelNameString();
    instruction.combinationMode = mode;
    return instruction;
}

TrackingInstrument stamped(TrackingInstrument instrument, DeviceTime timestamp)
{
    instrument.timestamp = timestamp;
    return instrument;
}

double maxDifference(const Eigen::Matrix4d& a, const Eigen::Matrix4d& b)
{
    return (a - b).cwiseAbs().maxCoeff();
}

class CombinedTrackingStreamTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(combined.start()); }

    /// Adds an instruction combining "ref" and "tool" of Tracker A.
    void addOutput(const std::string& output, Mode mode, const std::string& target = "tool")
    {
        combined.addOutputInstrument(combination(output, "Tracker A", "ref", "Tracker A", target, mode));
    }

    /// Emits on `stream` and returns the instruments of the one sample the combined stream emitted.
    std::vector<TrackingInstrument> outputsFor(ManualTrackingStream& stream,
                                               std::vector<TrackingInstrument> instruments)
    {
        return recorder.onlySampleFrom([&] { stream.emitInstruments(std::move(instruments)); })
            ->instruments();
    }

    ManualTrackingStream streamA{"Tracker A"};
    ManualTrackingStream streamB{"Tracker B"};
    CombinedTrackingStream combined{std::vector<TrackingStream*>{&streamA, &streamB}};
    SampleRecorder recorder{combined};
};

}  // namespace

TEST_F(CombinedTrackingStreamTest, RelativeGivesTheTargetInTheReferenceFrameAndCompositionTheirProduct)
{
    addOutput("Tool in Patient", Mode::Relative);
    addOutput("Tip", Mode::Composition);
    std::mt19937 rng(17);
    for (int trial = 0; trial < 50; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const Eigen::Matrix4d reference = randomPose(rng), target = randomPose(rng);
        const DeviceTime targetTime(222 + trial);
        const auto outputs =
            outputsFor(streamA, {stamped(instrument("ref", reference, 0.5), DeviceTime(111 + trial)),
                                 stamped(instrument("tool", target, 0.8), targetTime)});
        ASSERT_EQ(outputs.size(), 2u);
        EXPECT_LT(maxDifference(reference * outputs[0].matrix, target), 1e-9);
        EXPECT_LT(maxDifference(outputs[1].matrix, reference * target), 1e-9);
        // Each output carries its own ID and name, the product of the qualities and the target's time.
        EXPECT_EQ(outputs[0].id, TrackerID("relative-0", "", "Tool in Patient"));
        EXPECT_EQ(outputs[1].id, TrackerID("relative-1", "", "Tip"));
        EXPECT_EQ(outputs[0].transformName, "toolToref");
        for (const TrackingInstrument& output : outputs) {
            EXPECT_DOUBLE_EQ(output.quality, 0.4);
            EXPECT_EQ(output.timestamp, targetTime);
            EXPECT_TRUE(output.visible);
        }
        EXPECT_EQ(recorder.last()->timestampDevice(), targetTime);
        EXPECT_EQ(recorder.last()->trackingStream(), &combined);
    }
}

TEST_F(CombinedTrackingStreamTest,
       TargetStreamSamplesEmitWithTheLatestReferenceAndForwardingPassesTheTargetAlone)
{
    combined.addOutputInstrument(
        combination("Tool in Patient", "Tracker A", "ref", "Tracker B", "tool", Mode::Relative));
    streamB.emitInstruments({instrument("tool", translation(10, 0, 0))});
    EXPECT_EQ(recorder.count(), 0u) << "no reference seen yet";

    combined.setForwardWithoutCombination(true);
    const Eigen::Matrix4d target = pose(Eigen::Vector3d(1, 1, 1), 50.0, {7, 8, 9});
    const auto forwarded = outputsFor(streamB, {instrument("tool", target, 0.7)});
    ASSERT_EQ(forwarded.size(), 1u);
    EXPECT_EQ(forwarded[0].matrix, target);
    EXPECT_DOUBLE_EQ(forwarded[0].quality, 0.7);
    EXPECT_EQ(forwarded[0].transformName, "");
    combined.setForwardWithoutCombination(false);

    streamA.emitInstruments({instrument("ref", translation(1, 0, 0))});
    streamA.emitInstruments({instrument("ref", translation(2, 0, 0))});
    EXPECT_EQ(recorder.count(), 1u) << "the reference stream's samples emit nothing";
    const auto outputFor = [&](double targetX) {
        const auto outputs = outputsFor(streamB, {instrument("tool", translation(targetX, 0, 0))});
        return outputs.size() == 1 ? outputs[0].matrix : Eigen::Matrix4d::Constant(notANumber);
    };
    EXPECT_LT(maxDifference(outputFor(10), translation(8, 0, 0)), 1e-12);
    EXPECT_LT(maxDifference(outputFor(20), translation(18, 0, 0)), 1e-12);
    streamA.emitInstruments({instrument("ref", translation(5, 0, 0))});
    EXPECT_LT(maxDifference(outputFor(20), translation(15, 0, 0)), 1e-12);
}

TEST_F(CombinedTrackingStreamTest, NothingIsEmittedWhileNotRunningAndInstrumentsKeepTheLastSent)
{
    addOutput("Tool", Mode::Composition);
    const auto emitWhile = [&](bool running, double target) {
        ASSERT_TRUE(running ? combined.start() : combined.stop());
        streamA.emitInstruments(
            {instrument("ref", translation(1, 0, 0)), instrument("tool", translation(target, 0, 0))});
    };
    emitWhile(false, 1);
    EXPECT_EQ(recorder.count(), 0u);
    EXPECT_TRUE(combined.instruments().empty());
    emitWhile(true, 2);
    emitWhile(false, 9);
    EXPECT_EQ(recorder.count(), 1u);
    ASSERT_EQ(combined.instruments().size(), 1u);
    EXPECT_EQ(combined.instruments()[0].matrix, translation(3, 0, 0));
}

TEST_F(CombinedTrackingStreamTest, ConfigurationRoundTripKeepsInstructionsInOrder)
{
    const std::vector<CombinationInstruction> written = {
        combination("Pointer in Patient", "Tracker A", "ref", "Tracker B", "pointer", Mode::Relative),
        combination("Probe tip", "Tracker B", "probe", "Tracker B", "tip;with\\escapes", Mode::Composition),
        combination("Drill", "Tracker A", "", "Tracker A", "drill", Mode::Relative),
    };
    for (const CombinationInstruction& instruction : written)
        combined.addOutputInstrument(instruction);
    combined.setForwardWithoutCombination(true);

    Properties configuration;
    combined.configuration(&configuration);
    CombinedTrackingStream restored(std::vector<TrackingStream*>{&streamA, &streamB});
    restored.configure(&configuration);

    EXPECT_TRUE(restored.isForwardWithoutCombination());
    const auto read = restored.instructions();
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        Properties readText, writtenText;
        read[i].configuration(&readText);
        written[i].configuration(&writtenText);
        EXPECT_EQ(readText, writtenText) << "instruction " << i;
    }
    Properties again;
    restored.configuration(&again);
    EXPECT_EQ(again, configuration);
}

TEST_F(CombinedTrackingStreamTest, ConfigureWithoutInstructionsRemovesThemAndNewIdsStartAtZero)
{
    addOutput("First", Mode::Relative);
    addOutput("Second", Mode::Relative);
    for (const bool forward : {true, false}) {
        Properties properties;
        properties.setParam("forwardWithoutCombination", forward);
        combined.configure(&properties);
        EXPECT_EQ(combined.isForwardWithoutCombination(), forward);
    }
    EXPECT_TRUE(combined.instructions().empty());
    const std::vector<TrackingInstrument> instruments = {instrument("ref", translation(1, 0, 0)),
                                                         instrument("tool", translation(2, 0, 0))};
    streamA.emitInstruments(instruments);
    EXPECT_EQ(recorder.count(), 0u);

    addOutput("Third", Mode::Relative);
    const auto outputs = outputsFor(streamA, instruments);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].id, TrackerID("relative-0", "", "Third"));
}

// ---- the older single-string form ----

class CombinedTrackingStreamLegacyTest : public CombinedTrackingStreamTest
{
protected:
    void SetUp() override
    {
        CombinedTrackingStreamTest::SetUp();
        streamA.setInstruments({instrument("ref0", Eigen::Matrix4d::Identity(), 1.0, "Patient"),
                                instrument("ref1", Eigen::Matrix4d::Identity(), 1.0, "Table")});
        streamB.setInstruments({instrument("tool0", Eigen::Matrix4d::Identity(), 1.0, "Pointer"),
                                instrument("tool1", Eigen::Matrix4d::Identity(), 1.0, "Drill")});
    }

    void configureLegacy(const std::string& text)
    {
        Properties properties;
        properties.setParam("fusionInstructions", text);
        combined.configure(&properties);
    }
};

TEST_F(CombinedTrackingStreamLegacyTest, FusionStringBuildsACompositionFromTheNamedStreamsInstrumentLists)
{
    configureLegacy("Drill in Table,x,Tracker~A,1,Tracker~B");
    ASSERT_EQ(combined.instructions().size(), 1u);
    // Only the second instrument of each list, combined by composition, gives this output.
    streamA.emitInstruments(
        {instrument("ref0", translation(100, 0, 0)), instrument("ref1", translation(1, 0, 0))});
    const auto outputs = outputsFor(
        streamB, {instrument("tool0", translation(0, 100, 0)), instrument("tool1", translation(0, 2, 0))});
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].id, TrackerID("relative-0", "", "Drill in Table"));
    EXPECT_LT(maxDifference(outputs[0].matrix, translation(1, 2, 0)), 1e-12);
}

TEST_F(CombinedTrackingStreamLegacyTest, MalformedFusionStringIsReportedAndBuildsNothing)
{
    const std::string malformed[] = {
        "Out,x,Tracker~A,one,Tracker~B",  // not a number
        "Out,x,Tracker~A,1x,Tracker~B",   // a number followed by junk
        "Out,x,Tracker~A,,Tracker~B",     // no index
        "Out,x,Tracker~A,2,Tracker~B",    // one past the instrument lists
        "Out,x,Tracker~A,-1,Tracker~B",   // before them
        "Out,x,Tracker~A,99999999999999999999,Tracker~B",
        "Out,x,Tracker~A",  // too few fields
    };
    for (const std::string& text : malformed) {
        SCOPED_TRACE(text);
        LogCapture capture;
        addOutput("Kept?", Mode::Relative);
        configureLegacy(text);
        EXPECT_TRUE(combined.instructions().empty());
        const auto messages = capture->messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0],
                  (LogMessage{4, "", "Failed to convert string to CombinationInstruction: " + text}));
    }
}

// ---- values that cannot be combined ----

TEST_F(CombinedTrackingStreamTest, AbsentTargetOrSingularReferenceDropsOnlyTheOutputThatNeedsItForThatSample)
{
    addOutput("Ghost", Mode::Relative, "ghost");
    addOutput("Relative", Mode::Relative);
    addOutput("Composed", Mode::Composition);
    Eigen::Matrix4d flat = Eigen::Matrix4d::Identity();
    flat(2, 2) = 0.0;  // projects onto a plane
    // Of two instruments with the target's ID, the last one counts.
    auto outputs = outputsFor(streamA, {instrument("tool", translation(1, 0, 0)), instrument("ref", flat),
                                        instrument("tool", translation(2, 0, 0))});
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].id, TrackerID("relative-2", "", "Composed"));
    EXPECT_EQ(outputs[0].matrix, flat * translation(2, 0, 0));

    outputs = outputsFor(streamA,
                         {instrument("ref", translation(1, 0, 0)), instrument("tool", translation(1, 2, 3))});
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_EQ(outputs[0].id, TrackerID("relative-1", "", "Relative"));
    EXPECT_LT(maxDifference(outputs[0].matrix, translation(0, 2, 3)), 1e-12);
}

TEST_F(CombinedTrackingStreamTest, NonFiniteNumbersAreNeverEmitted)
{
    addOutput("Relative", Mode::Relative);
    addOutput("Composed", Mode::Composition);
    std::mt19937 rng(23);
    std::uniform_int_distribution<int> corruption(0, 5);
    auto maybeCorrupt = [&](TrackingInstrument instrument) {
        const int kind = corruption(rng);  // 4 and 5 leave it intact
        if (kind == 0)
            instrument.matrix(1, 3) = notANumber;
        else if (kind == 1)
            instrument.matrix = Eigen::Matrix4d::Zero();
        else if (kind == 2)
            instrument.matrix(0, 0) = std::numeric_limits<double>::infinity();
        else if (kind == 3)
            instrument.quality = notANumber;
        return instrument;
    };
    for (int n = 0; n < 200; ++n)
        streamA.emitInstruments({maybeCorrupt(instrument("ref", randomPose(rng))),
                                 maybeCorrupt(instrument("tool", randomPose(rng)))});
    EXPECT_GT(recorder.count(), 0u);
    for (const auto& sample : recorder.trackingSamples())
        for (const TrackingInstrument& output : sample->instruments())
            EXPECT_TRUE(output.matrix.allFinite() && std::isfinite(output.quality));
}

TEST(CombinedTrackingStreamInputs, AcceptsOnlyNonEmptySelectionsOfTrackingStreams)
{
    ManualTrackingStream first("First"), second("Second");
    EXPECT_TRUE(CombinedTrackingStream::isCompatible(DataList{&first}));
    EXPECT_TRUE(CombinedTrackingStream::isCompatible(DataList{&first, &second}));
    EXPECT_FALSE(CombinedTrackingStream::isCompatible(DataList{}));
    CombinedTrackingStream combined(DataList{&first, &second});
    EXPECT_EQ(combined.streams(), (std::vector<TrackingStream*>{&first, &second}));
}

// ---- concurrency (run under ThreadSanitizer in the tsan preset) ----

TEST(CombinedTrackingStreamConcurrency, SeveralInputsEmittingAtOnceEachGetTheirOutput)
{
    constexpr int inputCount = 3, samplesPerInput = 400;
    std::vector<std::unique_ptr<ManualTrackingStream>> inputs;
    std::vector<TrackingStream*> streams;
    for (int i = 0; i < inputCount; ++i) {
        inputs.push_back(std::make_unique<ManualTrackingStream>("Tracker " + std::to_string(i)));
        streams.push_back(inputs.back().get());
    }
    CombinedTrackingStream combined(streams);
    for (int i = 0; i < inputCount; ++i) {
        const std::string name = "Tracker " + std::to_string(i);
        combined.addOutputInstrument(
            combination("Tool " + std::to_string(i), name, "ref", name, "tool", Mode::Relative));
    }
    ASSERT_TRUE(combined.start());
    SampleRecorder recorder(combined);

    std::atomic<int> finished = 0;
    {
        std::vector<std::jthread> emitters;
        for (int i = 0; i < inputCount; ++i)
            emitters.emplace_back([&, i] {
                for (int n = 0; n < samplesPerInput; ++n)
                    inputs[static_cast<std::size_t>(i)]->emitInstruments(
                        {instrument("ref", translation(i, 0, 0)), instrument("tool", translation(i, n, 0))});
                ++finished;
            });
        while (finished < inputCount) {
            for (const TrackingInstrument& instrument : combined.instruments())
                EXPECT_TRUE(instrument.matrix.allFinite());
            std::this_thread::yield();
        }
    }
    const auto samples = recorder.trackingSamples();
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(inputCount * samplesPerInput));
    std::set<std::string> ids;
    for (const auto& sample : samples) {
        for (const TrackingInstrument& instrument : sample->instruments()) {
            ids.insert(instrument.id.ID());
            EXPECT_NEAR(instrument.matrix(0, 3), 0.0, 1e-12);  // the target in its own tracker's reference
            EXPECT_EQ(instrument.id.name(), "Tool " + std::string(1, instrument.id.ID().back()));
        }
    }
    EXPECT_EQ(ids, (std::set<std::string>{"relative-0", "relative-1", "relative-2"}));
}

TEST(CombinedTrackingStreamConcurrency, ConfigureWhileSamplesFlowAlwaysSeesAWholeInstructionList)
{
    ManualTrackingStream input("Tracker");
    CombinedTrackingStream combined(std::vector<TrackingStream*>{&input});
    ASSERT_TRUE(combined.start());
    SampleRecorder recorder(combined);

    Properties one, two;
    combined.addOutputInstrument(
        combination("Relative", "Tracker", "ref", "Tracker", "tool", Mode::Relative));
    combined.configuration(&one);
    combined.addOutputInstrument(
        combination("Composed", "Tracker", "ref", "Tracker", "tool", Mode::Composition));
    combined.configuration(&two);
    combined.configure(&one);

    std::atomic<int> emitted = 0;
    std::jthread emitter([&](std::stop_token stop) {
        for (int n = 0; !stop.stop_requested() && n < 20000; ++n) {
            input.emitInstruments(
                {instrument("ref", translation(1, 0, 0)), instrument("tool", translation(2, n, 0))});
            ++emitted;
        }
    });
    // Samples flow during every configuration.
    ASSERT_TRUE(waitUntil([&] { return emitted > 0; }));
    for (int round = 0; round < 300; ++round) {
        combined.configure(round % 2 ? &two : &one);
        EXPECT_FALSE(combined.instructions().empty());
        std::this_thread::yield();
    }
    emitter.request_stop();
    emitter.join();

    const auto outputs = recorder.trackingSamples();
    ASSERT_EQ(outputs.size(), static_cast<std::size_t>(emitted));
    for (const auto& output : outputs) {
        const auto& instruments = output->instruments();
        ASSERT_FALSE(instruments.empty());
        ASSERT_LE(instruments.size(), 2u);
        EXPECT_EQ(instruments[0].id, TrackerID("relative-0", "", "Relative"));
        EXPECT_NEAR(instruments[0].matrix(0, 3), 1.0, 1e-12);
        if (instruments.size() == 2) {
            EXPECT_EQ(instruments[1].id, TrackerID("relative-1", "", "Composed"));
            EXPECT_NEAR(instruments[1].matrix(0, 3), 3.0, 1e-12);
        }
    }
}
