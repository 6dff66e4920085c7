#include "navigation/plugin/CreateStreamAlgorithm.h"

#include "navigation/plugin/NavigationAlgorithmFactory.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"

#include <gtest/gtest.h>

using namespace Tesselon;
using Tesselon::Test::instrument;
using Tesselon::Test::ManualTrackingStream;
using Tesselon::Test::SampleRecorder;
using Tesselon::Test::translation;

namespace {

const std::string combineId = "Navigation.CreateStreamCombinedTrackingStream";
const std::string smoothId = "Navigation.CreateStreamSmoothedTrackingStream";

class PlainData : public Data
{
public:
    Kind kind() const override { return Kind::PointSet; }
};

class CreateSmoothedStreamTest : public testing::Test
{
protected:
    using CreateSmoothed = CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>;

    void configure(const Properties& properties) { algorithm.configure(&properties); }

    /// Takes the created stream over; fails unless it is exactly one smoothed stream.
    std::unique_ptr<SmoothedTrackingStream> take()
    {
        auto output = algorithm.takeOutput();
        EXPECT_EQ(output.size(), 1u);
        if (output.size() != 1u)
            return nullptr;
        auto* stream = dynamic_cast<SmoothedTrackingStream*>(output.front().get());
        EXPECT_NE(stream, nullptr);
        if (stream)
            output.front().release();
        return std::unique_ptr<SmoothedTrackingStream>(stream);
    }

    ManualTrackingStream input{"Tracker"};
    CreateSmoothed algorithm{DataList{&input}};
};

}  // namespace

TEST_F(CreateSmoothedStreamTest, ByDefaultTheStreamIsOpenedAndStarted)
{
    EXPECT_EQ(algorithm.status(), Algorithm::NotComputed);
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Success);
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_EQ(algorithm.stream()->state(), Stream::Running);
    EXPECT_EQ(input.state(), Stream::Running);
}

TEST_F(CreateSmoothedStreamTest, AutoOpenFalseCreatesTheStreamWithoutOpeningIt)
{
    Properties properties;
    properties.setParam("autoOpen", false);
    configure(properties);
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Success);
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_EQ(algorithm.stream()->state(), Stream::Closed);
    EXPECT_EQ(input.state(), Stream::Closed);
}

TEST_F(CreateSmoothedStreamTest, OpenFlagWinsOverConnect)
{
    Properties properties;
    properties.setParam("connect", false);
    properties.setParam("open", true);
    properties.setParam("autoOpen", false);
    configure(properties);
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Success);
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_TRUE(algorithm.stream()->isRunning());
}

TEST_F(CreateSmoothedStreamTest, StartFalseLeavesAnOpenStreamThatIsNotRunning)
{
    Properties properties;
    properties.setParam("start", false);
    configure(properties);
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), Algorithm::Success);
    ASSERT_NE(algorithm.stream(), nullptr);
    EXPECT_EQ(algorithm.stream()->state(), Stream::Open);
    EXPECT_EQ(input.state(), Stream::Open);
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
    const auto stream = take();
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(algorithm.stream(), nullptr);
    EXPECT_TRUE(algorithm.takeOutput().empty());

    SampleRecorder recorder(*stream);
    input.emitInstruments({instrument("tool", translation(1, 2, 3))}, 10);
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

TEST_F(NavigationStreamFactoryTest, RegistersBothStreamsUnderTheirMenuPaths)
{
    const auto* combine = factory.descriptor(combineId);
    const auto* smooth = factory.descriptor(smoothId);
    ASSERT_NE(combine, nullptr);
    ASSERT_NE(smooth, nullptr);
    EXPECT_EQ(combine->name, "Streaming;Combine Trackings");
    EXPECT_EQ(smooth->name, "Streaming;Smoothed Live Tracking Stream");
}

TEST_F(NavigationStreamFactoryTest, TwoStreamsOfferOnlyCombineAndOneStreamOffersBoth)
{
    auto ids = [&](const DataList& selection) {
        std::vector<std::string> found;
        for (const auto* descriptor : factory.compatibleDescriptors(selection))
            if (descriptor->id == combineId || descriptor->id == smoothId)
                found.push_back(descriptor->id);
        return found;
    };
    EXPECT_EQ(ids(DataList{&first, &second}), std::vector<std::string>{combineId});
    EXPECT_EQ(ids(DataList{&first}), (std::vector<std::string>{combineId, smoothId}));
    PlainData points;
    EXPECT_TRUE(ids(DataList{&first, &points}).empty());
    EXPECT_TRUE(ids(DataList{&points}).empty());
    EXPECT_TRUE(ids(DataList{}).empty());
    EXPECT_EQ(factory.create(smoothId, DataList{&first, &second}), nullptr);
}

TEST_F(NavigationStreamFactoryTest, CreatedCombineAlgorithmBuildsARunningConfiguredStream)
{
    auto algorithm = factory.create(combineId, DataList{&first, &second});
    ASSERT_NE(algorithm, nullptr);
    Properties properties;
    Properties* combination =
        properties.addSubProperties("CombinationInstructions")->addSubProperties("Combination");
    combination->setParam("outputInstrument", std::string("Tool in Patient"));
    combination->setParam("preStreamName", std::string("Tracker A"));
    combination->setParam("preInstrument", TrackerID("ref").toIDModelNameString());
    combination->setParam("postStreamName", std::string("Tracker B"));
    combination->setParam("postInstrument", TrackerID("tool").toIDModelNameString());
    combination->setParam("combinationMode", 0);
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

TEST_F(NavigationStreamFactoryTest, CreatedSmoothAlgorithmHandsOverAStreamOnItsInput)
{
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
