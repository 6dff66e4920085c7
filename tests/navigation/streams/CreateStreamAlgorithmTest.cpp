#include "navigation/plugin/CreateStreamAlgorithm.h"

#include "navigation/plugin/NavigationAlgorithmFactory.h"
#include "navigation/plugin/NavigationIds.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const std::string combineId(NavigationIds::combinedStream);
const std::string smoothId(NavigationIds::smoothedStream);
namespace Combined = NavigationIds::CombinedStream;

class CreateSmoothedStreamTest : public testing::Test
{
protected:
    using CreateSmoothed = CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>;

    void configure(const Properties& properties) { algorithm.configure(&properties); }

    ManualTrackingStream input{"Tracker"};
    CreateSmoothed algorithm{DataList{&input}};
};

}  // namespace

TEST(CreateSmoothedStream, OpensAndStartsTheStreamAsItsFlagsSayOpenWinningOverAutoOpenAndConnect)
{
    struct Case
    {
        std::vector<std::pair<const char*, bool>> flags;
        Stream::State expected;
    };
    const Case cases[] = {{{}, Stream::Running},
                          {{{"autoOpen", false}}, Stream::Closed},
                          {{{"connect", false}, {"open", true}, {"autoOpen", false}}, Stream::Running},
                          {{{"start", false}}, Stream::Open}};
    for (const Case& c : cases) {
        ManualTrackingStream input{"Tracker"};
        CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true> algorithm{DataList{&input}};
        Properties properties;
        for (const auto& [flag, value] : c.flags)
            properties.setParam(flag, value);
        algorithm.configure(&properties);
        EXPECT_EQ(algorithm.status(), Algorithm::NotComputed);
        algorithm.compute();
        EXPECT_EQ(algorithm.status(), Algorithm::Success);
        ASSERT_NE(algorithm.stream(), nullptr);
        EXPECT_EQ(algorithm.stream()->state(), c.expected) << c.flags.size() << " flags";
        EXPECT_EQ(input.state(), c.expected) << "the input follows the stream";
    }
}

TEST_F(CreateSmoothedStreamTest, ConfigurationGivenBeforeComputeIsKeptAndReachesTheStream)
{
    Properties properties;
    properties.setParam("smoothingMode", 1);
    properties.setParam("smoothingInterval", 5);
    properties.setParam("autoOpen", false);
    configure(properties);

    Properties stored;
    algorithm.configuration(&stored);
    EXPECT_EQ(stored, properties);

    algorithm.compute();
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_EQ(algorithm.stream()->smoothingMode.value(), SmoothedTrackingStream::WeightedAverage);
    EXPECT_EQ(algorithm.stream()->smoothingInterval.value(), 5);

    // Once the stream exists, configuration comes from it and configure goes to it.
    Properties fromStream;
    algorithm.configuration(&fromStream);
    EXPECT_TRUE(fromStream.hasParam("translationError"));
    Properties kalman;
    kalman.setParam("smoothingMode", 2);
    configure(kalman);
    EXPECT_EQ(algorithm.stream()->smoothingMode.value(), SmoothedTrackingStream::KalmanFilter);
}

TEST_F(CreateSmoothedStreamTest, FailedOpenGivesStatusOneAndKeepsTheStream)
{
    input.succeed = false;
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Error);
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_EQ(algorithm.stream()->state(), Stream::Failed);
}

TEST_F(CreateSmoothedStreamTest, ExceptionFromOpenIsLoggedAndTheStreamIsDropped)
{
    input.throwOnOpen = true;
    Tesselon::Test::LogCapture capture;
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Error);
    EXPECT_EQ(algorithm.stream(), nullptr);
    EXPECT_TRUE(algorithm.takeOutput().empty());
    const auto messages = capture->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], (LogMessage{4, "Stream", "Cannot open \"Tracker\": the device is unplugged."}));
    EXPECT_EQ(messages[1],
              (LogMessage{4, "", "Could not instantiate a new Stream: the device is unplugged"}));
    EXPECT_EQ(input.newData.connectionCount(), 0u) << "the dropped stream must not stay attached";
}

TEST_F(CreateSmoothedStreamTest, TakeOutputHandsTheWorkingStreamOver)
{
    algorithm.compute();
    const auto output = algorithm.takeOutput();
    ASSERT_EQ(output.size(), 1u);
    auto* const stream = dynamic_cast<SmoothedTrackingStream*>(output.front().get());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(algorithm.stream(), nullptr);
    EXPECT_TRUE(algorithm.takeOutput().empty());

    SampleRecorder recorder(*stream);
    input.emitInstruments({instrument("tool", translation(1, 2, 3))}, DeviceTime(10));
    EXPECT_EQ(recorder.count(), 1u);
}

TEST_F(CreateSmoothedStreamTest, StreamThatIsNeverTakenDiesWithTheAlgorithm)
{
    {
        CreateSmoothed other(DataList{&input});
        other.compute();
        ASSERT_NE(other.stream(), nullptr);
        EXPECT_EQ(input.newData.connectionCount(), 1u);
    }
    EXPECT_EQ(input.newData.connectionCount(), 0u);
    EXPECT_EQ(input.state(), Stream::Closed);
}

// ---- through the plug-in's factory ----

class NavigationStreamFactoryTest : public testing::Test
{
protected:
    NavigationAlgorithmFactory factory;
    ManualTrackingStream first{"Tracker A"};
    ManualTrackingStream second{"Tracker B"};
};

TEST_F(NavigationStreamFactoryTest,
       CombineAlgorithmIsRegisteredUnderItsMenuPathAndBuildsARunningConfiguredStream)
{
    ASSERT_NE(factory.descriptor(combineId), nullptr);
    EXPECT_EQ(factory.descriptor(combineId)->name, "Streaming;Combine Trackings");
    auto algorithm = factory.create(combineId, DataList{&first, &second});
    ASSERT_NE(algorithm, nullptr);
    Properties properties;
    // Written as the host program writes it, through the exported keys.
    Properties* combination =
        properties.addSubProperties(Combined::instructions)->addSubProperties(Combined::instruction);
    combination->setParam(Combined::outputInstrument, std::string("Tool in Patient"));
    combination->setParam(Combined::preStreamName, std::string("Tracker A"));
    combination->setParam(Combined::preInstrument, TrackerID("ref").toIDModelNameString());
    combination->setParam(Combined::postStreamName, std::string("Tracker B"));
    combination->setParam(Combined::postInstrument, TrackerID("tool").toIDModelNameString());
    combination->setParam(Combined::mode, Combined::relative);
    algorithm->configure(&properties);
    algorithm->compute();
    EXPECT_EQ(algorithm->status(), Algorithm::Success);

    auto output = algorithm->takeOutput();
    ASSERT_EQ(output.size(), 1u);
    auto* combined = dynamic_cast<CombinedTrackingStream*>(output.front().get());
    ASSERT_NE(combined, nullptr);
    EXPECT_TRUE(combined->isRunning());
    SampleRecorder recorder(*combined);
    first.emitInstruments({instrument("ref", translation(1, 0, 0))});
    second.emitInstruments({instrument("tool", translation(5, 0, 0))});
    ASSERT_EQ(recorder.count(), 1u);
    ASSERT_EQ(recorder.last()->instruments().size(), 1u);
    EXPECT_EQ(recorder.last()->instruments()[0].matrix, translation(4, 0, 0));
}

TEST_F(NavigationStreamFactoryTest, SmoothAlgorithmIsRegisteredUnderItsMenuPathAndHandsOverAStreamOnItsInput)
{
    ASSERT_NE(factory.descriptor(smoothId), nullptr);
    EXPECT_EQ(factory.descriptor(smoothId)->name, "Streaming;Smoothed Live Tracking Stream");
    EXPECT_EQ(factory.create(smoothId, DataList{&first, &second}), nullptr);
    auto algorithm = factory.create(smoothId, DataList{&first});
    ASSERT_NE(algorithm, nullptr);
    Properties properties;
    properties.setParam("start", false);
    algorithm->configure(&properties);
    algorithm->compute();
    EXPECT_EQ(algorithm->status(), Algorithm::Success);
    auto output = algorithm->takeOutput();
    ASSERT_EQ(output.size(), 1u);
    auto* smoothed = dynamic_cast<SmoothedTrackingStream*>(output.front().get());
    ASSERT_NE(smoothed, nullptr);
    EXPECT_EQ(smoothed->state(), Stream::Open);
    EXPECT_EQ(smoothed->name(), "Tracker A (smoothed)");
}
