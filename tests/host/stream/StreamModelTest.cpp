#include "host/stream/Stream.h"
#include "host/stream/TrackerID.h"
#include "host/stream/TrackingStreamData.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"

#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace Tesselon;

namespace {

// ---- TrackerID ----

/// Random text over a small alphabet rich in the characters the text form must escape.
std::string randomText(std::mt19937& rng)
{
    static const std::string alphabet = "a;\\ Z;\\";
    std::uniform_int_distribution<std::size_t> length(0, 6);
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    std::string text(length(rng), ' ');
    for (char& c : text)
        c = alphabet[letter(rng)];
    return text;
}

}  // namespace

TEST(TrackerID, TextFormRoundTripsAnyIdModelAndName)
{
    std::mt19937 rng(1234);
    for (int trial = 0; trial < 2000; ++trial) {
        const TrackerID id(randomText(rng), randomText(rng), randomText(rng));
        const std::string text = id.toIDModelNameString();
        EXPECT_EQ(TrackerID::fromIDModelNameString(text), id) << "text form: " << text;

        const TrackerID withoutName = TrackerID::fromIDModelNameString(id.toIDModelNameString(false));
        EXPECT_EQ(withoutName, TrackerID(id.ID(), id.model(), "")) << "text form: " << text;
    }
}

TEST(TrackerID, TextFormEdgeCasesBareIdsDroppedNamesAndHashOfTheIdOnly)
{
    for (const TrackerID& id : {TrackerID(), TrackerID("", "", ";"), TrackerID("\\", "\\\\", "x\\"),
                                TrackerID(";;", "", ""), TrackerID("tool\\", "model;", "\\;")})
        EXPECT_EQ(TrackerID::fromIDModelNameString(id.toIDModelNameString()), id) << id.toIDModelNameString();
    for (const char* bare : {"8700340", "Pointer tool", ""})
        EXPECT_EQ(TrackerID::fromIDModelNameString(bare), TrackerID(bare)) << bare;
    const TrackerID id("42", "Model A", "Pointer");
    EXPECT_EQ(id.toIDModelNameString(false), "42;Model A;");
    EXPECT_EQ(id.toIDModelNameString(), "42;Model A;Pointer");
    EXPECT_EQ(id.idHash(), TrackerID("42", "c", "d").idHash());
    EXPECT_NE(id.idHash(), TrackerID("8").idHash());
}

// ---- Stream ----

namespace {

class ScriptedStream : public Stream
{
public:
    ScriptedStream() : Stream("Scripted") {}

    bool result = true, throwing = false;

protected:
    bool openImpl() override { return run(); }
    bool startImpl() override { return run(); }
    bool stopImpl() override { return run(); }
    bool closeImpl() override { return run(); }

private:
    bool run()
    {
        if (throwing)
            throw std::runtime_error("hardware fault");
        return result;
    }
};

using Change = std::pair<Stream::State, Stream::State>;

class StreamStateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        stream.stateChanged.connect(&receiver, [this](Stream::State from, Stream::State to) {
            std::lock_guard lock(mutex);
            changes.emplace_back(from, to);
        });
    }

    std::vector<Change> recordedChanges()
    {
        std::lock_guard lock(mutex);
        return changes;
    }

    ScriptedStream stream;
    SignalReceiver receiver;
    std::mutex mutex;
    std::vector<Change> changes;
};

}  // namespace

TEST_F(StreamStateTest, OperationsMoveThroughTheStatesAndReportEachChangeOnce)
{
    Tesselon::Test::LogCapture log;
    EXPECT_TRUE(stream.stop());  // nothing runs: it stays closed
    EXPECT_FALSE(stream.pause());
    EXPECT_TRUE(stream.openAsync().get());
    EXPECT_FALSE(stream.resume());
    EXPECT_TRUE(stream.startAsync().get());
    EXPECT_TRUE(stream.startAsync().get());  // no change, no signal
    EXPECT_TRUE(stream.open());              // reopening keeps it running
    EXPECT_TRUE(stream.pause());
    EXPECT_TRUE(stream.pause());
    EXPECT_TRUE(stream.resume());
    EXPECT_TRUE(stream.resume());
    EXPECT_TRUE(stream.pause());
    EXPECT_TRUE(stream.stopAsync().get());
    EXPECT_TRUE(stream.closeAsync().get());
    EXPECT_EQ(stream.state(), Stream::Closed);
    const std::vector<Change> expected = {
        {Stream::Closed, Stream::Open},    {Stream::Open, Stream::Running},
        {Stream::Running, Stream::Paused}, {Stream::Paused, Stream::Running},
        {Stream::Running, Stream::Paused}, {Stream::Paused, Stream::Open},
        {Stream::Open, Stream::Closed},
    };
    EXPECT_EQ(recordedChanges(), expected);
    EXPECT_EQ(log->count("Cannot pause \"Scripted\": it is not running."), 1);
    EXPECT_EQ(log->count("Cannot resume \"Scripted\": it is not paused."), 1);
}

TEST_F(StreamStateTest, FailingToOpenOrStartLeavesItFailedWithOneLoggedReasonUntilARetrySucceeds)
{
    struct Case
    {
        bool starting, throwing;
        const char* reason;
    };
    for (const Case& c : {Case{false, false, "Cannot open \"Scripted\"."},
                          Case{false, true, "Cannot open \"Scripted\": hardware fault."},
                          Case{true, false, "Cannot start \"Scripted\"."},
                          Case{true, true, "Cannot start \"Scripted\": hardware fault."}}) {
        SCOPED_TRACE(c.reason);
        if (c.starting) {
            ASSERT_TRUE(stream.open());
        }
        const Stream::State before = stream.state();
        stream.result = false;
        stream.throwing = c.throwing;
        Tesselon::Test::LogCapture log;
        auto operation = c.starting ? stream.startAsync() : stream.openAsync();
        if (c.throwing)
            EXPECT_THROW(operation.get(), std::runtime_error) << "the exception arrives through the future";
        else
            EXPECT_FALSE(operation.get());
        EXPECT_EQ(recordedChanges().back(), Change(before, Stream::Failed));
        EXPECT_EQ(stream.failureReason(), c.reason);
        EXPECT_EQ(log->count(c.reason), 1);
        // A failing stop or close is no reason to fail the stream, nor to leave Failed.
        stream.throwing = false;
        EXPECT_FALSE(stream.close());
        EXPECT_EQ(stream.state(), Stream::Failed);

        stream.result = true;
        ASSERT_TRUE(stream.open());
        EXPECT_TRUE(stream.failureReason().empty());
        ASSERT_TRUE(stream.close());
    }
}

TEST_F(StreamStateTest, OnlyRealChangesAreSignalledAndRunningMeansRunningOrPaused)
{
    for (Stream::State state :
         {Stream::Closed, Stream::Paused, Stream::Paused, Stream::Failed, Stream::Running, Stream::Open}) {
        stream.changeState(state, "a reason");
        EXPECT_EQ(stream.isRunning(), state == Stream::Running || state == Stream::Paused) << state;
        EXPECT_EQ(stream.failureReason().empty(), state != Stream::Failed) << state;
    }
    const std::vector<Change> expected = {{Stream::Closed, Stream::Paused},
                                          {Stream::Paused, Stream::Failed},
                                          {Stream::Failed, Stream::Running},
                                          {Stream::Running, Stream::Open}};
    EXPECT_EQ(recordedChanges(), expected);
}

// ---- TrackingStreamData ----

namespace {

class Calibration : public DataComponent
{
public:
    explicit Calibration(int value) : value(value) {}
    std::string id() const override { return "Calibration"; }
    int value;
};

class RefinedCalibration : public Calibration
{
public:
    using Calibration::Calibration;
    std::string id() const override { return "RefinedCalibration"; }
};

class Marker : public DataComponent
{
public:
    std::string id() const override { return "Marker"; }
};

TrackingInstrument instrumentAt(const std::string& id, double x)
{
    TrackingInstrument instrument;
    instrument.id = TrackerID(id);
    instrument.matrix(0, 3) = x;
    return instrument;
}

}  // namespace

TEST(TrackingStreamData, InstrumentByIdIsTheLastOneWithThatId)
{
    const TrackingStreamData sample(nullptr,
                                    {instrumentAt("a", 1), instrumentAt("b", 2), instrumentAt("a", 3)});
    ASSERT_TRUE(sample.instrument("a").has_value());
    EXPECT_EQ(sample.instrument("a")->matrix(0, 3), 3.0);
    EXPECT_EQ(sample.instrument("b")->matrix(0, 3), 2.0);
    EXPECT_FALSE(sample.instrument("c").has_value());
    EXPECT_FALSE(sample.instrument("").has_value());
}

TEST(TrackingStreamData, ComponentsAreFoundByExactTypeAndUpdateReplacesOnlyThoseOfTheSameType)
{
    TrackingStreamData target(nullptr, {});
    EXPECT_EQ(target.component<Calibration>(), nullptr);
    target.setComponent(std::make_shared<RefinedCalibration>(2));
    EXPECT_EQ(target.component<Calibration>(), nullptr);
    const auto marker = std::make_shared<Marker>();
    target.setComponent(std::make_shared<Calibration>(1));
    target.setComponent(marker);
    ASSERT_NE(target.component<Calibration>(), nullptr);
    EXPECT_EQ(target.component<Calibration>()->value, 1);
    EXPECT_EQ(target.component<RefinedCalibration>()->value, 2);

    TrackingStreamData source(nullptr, {});
    const auto newer = std::make_shared<Calibration>(5);
    source.setComponent(newer);
    source.setComponent(std::make_shared<RefinedCalibration>(6));
    target.updateComponents(source);
    EXPECT_EQ(target.component<Calibration>(), newer);
    EXPECT_EQ(target.component<Marker>(), marker);
    EXPECT_EQ(target.component<RefinedCalibration>()->value, 6);

    target.setComponent(std::make_shared<Calibration>(7));
    EXPECT_EQ(target.component<Calibration>()->value, 7);
    EXPECT_EQ(source.component<Calibration>()->value, 5) << "the source keeps its own";
}

TEST(TrackingStreamData, CloneSharesComponentsAndCopiesEverythingElse)
{
    Tesselon::Test::ManualTrackingStream stream("Tracker");
    TrackingStreamData sample(&stream, {instrumentAt("a", 1)});
    sample.setTimestampDevice(DeviceTime(17));
    sample.setTimestampArrival(23);
    const auto calibration = std::make_shared<Calibration>(3);
    sample.setComponent(calibration);

    const auto copy = sample.clone();
    EXPECT_EQ(copy->component<Calibration>(), calibration);
    EXPECT_EQ(copy->trackingStream(), &stream);
    EXPECT_EQ(copy->timestampDevice(), DeviceTime(17));
    EXPECT_EQ(copy->timestampArrival(), 23u);
    ASSERT_EQ(copy->instruments().size(), 1u);
    EXPECT_EQ(copy->instruments()[0].id, TrackerID("a"));

    copy->setTrackingStream(nullptr);
    copy->setComponent(std::make_shared<Calibration>(4));
    EXPECT_EQ(sample.trackingStream(), &stream);
    EXPECT_EQ(sample.component<Calibration>(), calibration);
}
