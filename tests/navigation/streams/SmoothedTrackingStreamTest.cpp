#include "navigation/streams/SmoothedTrackingStream.h"

#include "host/core/config/Properties.h"
#include "host/core/model/DataList.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <limits>
#include <mutex>
#include <random>
#include <thread>
#include <tuple>

using namespace Tesselon;
using namespace Tesselon::Test;
using namespace std::chrono_literals;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinite = std::numeric_limits<double>::infinity();

Properties smoothingProperties(int mode, int interval = 3)
{
    Properties properties;
    properties.setParam("smoothingMode", mode);
    properties.setParam("smoothingInterval", interval);
    return properties;
}

Eigen::Vector3d translationOf(const Eigen::Matrix4d& matrix)
{
    return matrix.topRightCorner<3, 1>();
}

int countContaining(const CapturingLogSink& sink, const std::string& fragment)
{
    const auto messages = sink.messages();
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](const LogMessage& message) {
        return message.text.find(fragment) != std::string::npos;
    }));
}

/// The instrument as a smoothing stream passes it through: everything kept, " (smoothed)" after the name.
TrackingInstrument suffixed(TrackingInstrument instrument)
{
    instrument.id =
        TrackerID(instrument.id.ID(), instrument.id.model(), instrument.id.name() + " (smoothed)");
    return instrument;
}

void expectSameInstrument(const TrackingInstrument& actual, const TrackingInstrument& expected)
{
    EXPECT_EQ(actual.id, expected.id);
    EXPECT_EQ(actual.matrix, expected.matrix);
    EXPECT_EQ(actual.quality, expected.quality);
    EXPECT_EQ(actual.timestamp, expected.timestamp);
    EXPECT_EQ(actual.visible, expected.visible);
}

class SmoothedTrackingStreamTest : public testing::Test
{
protected:
    void configure(int mode, int interval = 3)
    {
        const Properties properties = smoothingProperties(mode, interval);
        smoothed.configure(&properties);
    }

    /// Emits one sample on the input and returns the sample the smoothed stream emitted for it.
    std::shared_ptr<const TrackingStreamData> smoothSample(std::vector<TrackingInstrument> instruments,
                                                           std::optional<DeviceTime> deviceTime = {})
    {
        return recorder.onlySampleFrom([&] { input.emitInstruments(std::move(instruments), deviceTime); });
    }

    TrackingInstrument smooth(const TrackingInstrument& single, std::optional<DeviceTime> deviceTime = {})
    {
        const auto sample = smoothSample({single}, deviceTime);
        if (sample->instruments().size() != 1u) {
            ADD_FAILURE() << "expected one smoothed instrument, got " << sample->instruments().size();
            return {};
        }
        return sample->instruments().front();
    }

    ManualTrackingStream input{"Tracker"};
    SmoothedTrackingStream smoothed{&input};
    SampleRecorder recorder{smoothed};
};

/// Pairs of rotations half a degree apart whose quaternions, as Eigen converts the rotation matrices,
/// point into opposite hemispheres: around 180 degrees and around the switch of the conversion's
/// branch where the trace crosses zero (120 degrees).
std::vector<std::pair<Eigen::Matrix4d, Eigen::Matrix4d>> oppositeHemispherePairs()
{
    std::vector<std::pair<Eigen::Matrix4d, Eigen::Matrix4d>> pairs;
    const double components[] = {-1.0, -0.4, 0.0, 0.7, 1.0};
    for (double x : components)
        for (double y : components)
            for (double z : components)
                for (double angle = 115.0; angle <= 180.0 && Eigen::Vector3d(x, y, z).norm() > 0.0;
                     angle += 0.5) {
                    const Eigen::Matrix4d a = pose({x, y, z}, angle, Eigen::Vector3d::Zero());
                    const Eigen::Matrix4d b = pose({x, y, z}, angle + 0.5, Eigen::Vector3d::Zero());
                    const Eigen::Quaterniond qa(Eigen::Matrix3d(a.topLeftCorner<3, 3>()));
                    if (qa.dot(Eigen::Quaterniond(Eigen::Matrix3d(b.topLeftCorner<3, 3>()))) < 0.0)
                        pairs.emplace_back(a, b);
                }
    return pairs;
}

}  // namespace

TEST_F(SmoothedTrackingStreamTest, NoneModeKeepsPosesQualitiesAndDeviceTimesAndSuffixesEveryName)
{
    configure(SmoothedTrackingStream::None);
    for (int n = 0; n < 4; ++n) {
        // Device time 0 is a time; the last sample has none.
        const auto deviceTime = n < 3 ? std::optional(DeviceTime(n)) : std::nullopt;
        const std::vector<TrackingInstrument> inputs = {
            instrument("tool", pose(Eigen::Vector3d(1, 2, 3), 10.0 * n, {1.0 * n, 2, 3}), 0.3, "Pointer"),
            instrument("ref", translation(5, 6, 7 * n), 0.9, "Patient")};
        const auto sample = smoothSample(inputs, deviceTime);
        EXPECT_EQ(sample->timestampDevice(), deviceTime);
        ASSERT_EQ(sample->instruments().size(), 2u);
        for (std::size_t i = 0; i < inputs.size(); ++i)
            expectSameInstrument(sample->instruments()[i], suffixed(inputs[i]));
    }
    ASSERT_EQ(smoothed.instruments().size(), 2u);
    EXPECT_EQ(smoothed.instruments()[0].id.name(), "Pointer (smoothed)");
}

// Every trial reconfigures the same stream, so this also shows that configure empties the windows.
TEST_F(SmoothedTrackingStreamTest, MovingAverageIsTheQualityWeightedMeanOfTheLastIntervalSamples)
{
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> intervals(1, 6);
    std::uniform_real_distribution<double> coordinate(-200.0, 200.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int allUnseenWindows = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const int interval = intervals(rng);
        configure(SmoothedTrackingStream::WeightedAverage, interval);
        std::deque<std::pair<Eigen::Vector3d, double>> window;
        for (int n = 0; n < 3 * interval + 2; ++n) {
            const Eigen::Vector3d position(coordinate(rng), coordinate(rng), coordinate(rng));
            // Every third sample or so is unseen, so windows of only unseen samples occur too.
            const double quality = unit(rng) < 0.35 ? 0.0 : unit(rng);
            const TrackingInstrument input =
                instrument("tool", pose(Eigen::Vector3d::UnitZ(), 0.0, position), quality);
            const TrackingInstrument output = smooth(input);
            window.emplace_back(position, quality);
            if (window.size() > static_cast<std::size_t>(interval))
                window.pop_front();
            SCOPED_TRACE(testing::Message()
                         << "trial " << trial << ", interval " << interval << ", sample " << n);
            EXPECT_EQ(output.id.name(), "tool (smoothed)");
            if (n == 0) {  // the first sample of an instrument passes unchanged
                EXPECT_EQ(output.matrix, input.matrix);
                EXPECT_EQ(output.quality, quality);
                continue;
            }
            Eigen::Vector3d weighted = Eigen::Vector3d::Zero();
            double weightSum = 0.0;
            for (const auto& [entry, weight] : window) {
                weighted += weight * entry;
                weightSum += weight;
            }
            EXPECT_NEAR(output.quality, weightSum / static_cast<double>(window.size()), 1e-12);
            if (weightSum == 0.0) {
                ++allUnseenWindows;
                EXPECT_EQ(output.matrix, Eigen::Matrix4d::Identity());
            } else {
                EXPECT_LT((translationOf(output.matrix) - weighted / weightSum).norm(), 1e-9);
                EXPECT_TRUE((output.matrix.topLeftCorner<3, 3>().isIdentity(1e-12)));
            }
        }
    }
    EXPECT_GT(allUnseenWindows, 0);
}

TEST_F(SmoothedTrackingStreamTest, FirstSampleOfAnInstrumentThatAppearsLaterPassesUnchangedWithSuffix)
{
    configure(SmoothedTrackingStream::WeightedAverage, 4);
    smoothSample({instrument("tool", translation(0, 0, 0))});
    const TrackingInstrument newcomer =
        instrument("ref", pose(Eigen::Vector3d(0, 1, 1), 33.0, {4, 5, 6}), 0.25, "Patient");
    const auto sample = smoothSample({instrument("tool", translation(2, 0, 0)), newcomer});
    ASSERT_EQ(sample->instruments().size(), 2u);
    EXPECT_DOUBLE_EQ(translationOf(sample->instruments()[0].matrix).x(), 1.0);
    expectSameInstrument(sample->instruments()[1], suffixed(newcomer));

    // Its window then averages its own latest samples, although it filled later than the tool's.
    configure(SmoothedTrackingStream::WeightedAverage, 3);
    smoothSample({instrument("tool", translation(0, 0, 0))});
    std::vector<double> averages;
    for (const double x : {100.0, 200.0, 300.0, 400.0})
        averages.push_back(translationOf(smoothSample({instrument("tool", translation(0, 0, 0)),
                                                       instrument("ref", translation(x, 0, 0))})
                                             ->instruments()[1]
                                             .matrix)
                               .x());
    EXPECT_EQ(averages, (std::vector<double>{100.0, 150.0, 200.0, 300.0}));
}

// Trackers report unseen tools at the identity. Near a half turn, quaternions of seen samples straddle
// the identity's hemisphere boundary, so an unseen sample in the window must not decide the hemisphere.
TEST_F(SmoothedTrackingStreamTest, AverageOfNearbyRotationsWithOppositeQuaternionSignsLiesBetweenThem)
{
    const auto pairs = oppositeHemispherePairs();
    ASSERT_GE(pairs.size(), 10u) << "the grid should cross the conversion's sign changes";
    for (const bool unseenFirst : {false, true})
        for (const auto& [a, b] : pairs) {
            configure(SmoothedTrackingStream::WeightedAverage, unseenFirst ? 3 : 2);
            if (unseenFirst)
                smooth(instrument("tool", Eigen::Matrix4d::Identity(), 0.0));
            smooth(instrument("tool", a));
            const Eigen::Matrix4d average = smooth(instrument("tool", b)).matrix;
            EXPECT_LT(angleBetweenDegrees(average, a), 1.0) << "unseen first: " << unseenFirst;
            EXPECT_LT(angleBetweenDegrees(average, b), 1.0) << "unseen first: " << unseenFirst;
        }
}

TEST_F(SmoothedTrackingStreamTest, KalmanPassesTheFirstSampleThroughUnsuffixedAfterConfigureOrNewInstruments)
{
    configure(SmoothedTrackingStream::KalmanFilter);
    TrackingInstrument tool = instrument("tool", pose(Eigen::Vector3d(1, 0, 1), 25.0, {7, 8, 9}), 0.6);
    tool.timestamp = 1234ms;
    const auto first = smoothSample({tool}, 1000ms);
    ASSERT_EQ(first->instruments().size(), 1u);
    expectSameInstrument(first->instruments()[0], tool);
    EXPECT_EQ(first->timestampDevice(), 1000ms);
    EXPECT_EQ(smooth(tool, 1001ms).id.name(), "tool (smoothed)");

    configure(SmoothedTrackingStream::KalmanFilter);
    expectSameInstrument(smooth(tool, 1002ms), tool);
    EXPECT_EQ(smooth(tool, 1003ms).id.name(), "tool (smoothed)");

    // A change in the number of instruments restarts the filters too.
    const TrackingInstrument reference = instrument("ref", translation(-50, 0, 20), 0.8);
    const auto grown = smoothSample({tool, reference}, 1004ms);
    ASSERT_EQ(grown->instruments().size(), 2u);
    expectSameInstrument(grown->instruments()[0], tool);
    expectSameInstrument(grown->instruments()[1], reference);
    EXPECT_EQ(smoothSample({tool, reference}, 1005ms)->instruments()[1].id.name(), "ref (smoothed)");
}

// Only time steps matter to the filters: a device clock that starts at 0 is no special case.
TEST_F(SmoothedTrackingStreamTest, KalmanOutputIsTheSameWhetherTheDeviceClockStartsAtZeroOrLater)
{
    std::vector<Eigen::Matrix4d> outputs[2];
    for (const int clock : {0, 1}) {
        configure(SmoothedTrackingStream::KalmanFilter);
        for (int n = 0; n < 20; ++n)
            outputs[clock].push_back(
                smooth(instrument("tool", translation(3.0 * n, 0, 0)), DeviceTime(5000 * clock + 10 * n))
                    .matrix);
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST_F(SmoothedTrackingStreamTest, KalmanOutputOfAStillNoisyInstrumentJittersLessThanItsInput)
{
    configure(SmoothedTrackingStream::KalmanFilter);
    const Eigen::Matrix4d truth = pose(Eigen::Vector3d(1, 2, 2), 40.0, {100, -20, 350});
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.5);  // mm and degrees
    double inputTranslationJitter = 0.0, outputTranslationJitter = 0.0;
    double inputAngleJitter = 0.0, outputAngleJitter = 0.0;
    Eigen::Matrix4d previousInput = truth, previousOutput = truth;
    for (int n = 0; n < 400; ++n) {
        const Eigen::Matrix4d measured =
            truth * pose(randomUnitVector(rng), noise(rng), {noise(rng), noise(rng), noise(rng)});
        const Eigen::Matrix4d output = smooth(instrument("tool", measured), DeviceTime(1000 + n)).matrix;
        ASSERT_TRUE(output.allFinite());
        if (n > 50) {  // after warming up
            inputTranslationJitter += (translationOf(measured) - translationOf(previousInput)).squaredNorm();
            outputTranslationJitter += (translationOf(output) - translationOf(previousOutput)).squaredNorm();
            inputAngleJitter += std::pow(angleBetweenDegrees(measured, previousInput), 2);
            outputAngleJitter += std::pow(angleBetweenDegrees(output, previousOutput), 2);
        }
        previousInput = measured;
        previousOutput = output;
    }
    EXPECT_LT(outputTranslationJitter, 0.5 * inputTranslationJitter);
    EXPECT_LT(outputAngleJitter, 0.5 * inputAngleJitter);
    EXPECT_LT((translationOf(previousOutput) - translationOf(truth)).norm(), 1.0);
    EXPECT_LT(angleBetweenDegrees(previousOutput, truth), 1.0);
}

TEST_F(SmoothedTrackingStreamTest, UnseenInstrumentIsPredictedAlongItsMotionAndItsQualityHalvesInSquare)
{
    configure(SmoothedTrackingStream::KalmanFilter);
    const Eigen::Matrix4d rotation = pose(Eigen::Vector3d(0, 0, 1), 15.0, {0, 0, 0});
    const auto moving = [&](double x, double quality) {
        return instrument("tool", translation(x, 40, 50) * rotation, quality);
    };
    DeviceTime time(1000);
    double x = 0.0, previousQuality = 0.0;
    for (int n = 0; n < 300; ++n, x += 0.05)
        previousQuality = smooth(moving(x, 0.8), ++time).quality;
    EXPECT_NEAR(previousQuality, 0.8, 1e-12);
    double previousX = x - 0.05;
    for (int n = 0; n < 5; ++n) {
        // Unseen tools are reported at the identity; the filter must not follow that pose.
        const TrackingInstrument predicted =
            smooth(instrument("tool", Eigen::Matrix4d::Identity(), 0.0), ++time);
        EXPECT_NEAR(predicted.quality, std::sqrt(previousQuality * previousQuality / 2.0), 1e-12);
        const Eigen::Vector3d position = translationOf(predicted.matrix);
        EXPECT_GT(position.x(), previousX);
        EXPECT_NEAR(position.x(), x - 0.05 + 0.05 * (n + 1), 0.05);
        EXPECT_NEAR(position.y(), 40.0, 1e-3);
        EXPECT_NEAR(position.z(), 50.0, 1e-3);
        EXPECT_LT(angleBetweenDegrees(predicted.matrix, rotation), 1e-3);
        previousX = position.x();
        previousQuality = predicted.quality;
    }
    // Seen again: quality recovers by the same rule.
    const double recovered = smooth(moving(x, 1.0), ++time).quality;
    EXPECT_NEAR(recovered, std::sqrt((1.0 + previousQuality * previousQuality) / 2.0), 1e-12);
}

TEST_F(SmoothedTrackingStreamTest, ConfigurationShowsOnlyTheParametersOfTheChosenMode)
{
    // Mode, then whether the interval and the Kalman parameters are hidden.
    for (const auto& [mode, interval, kalman] :
         {std::tuple{1, "false", "true"}, std::tuple{2, "true", "false"}, std::tuple{0, "true", "true"}}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        configure(mode, 5);
        Properties configuration;
        smoothed.configuration(&configuration);
        for (const char* key : {"smoothingInterval", "translationError", "angularError", "processSigma"}) {
            const std::string hidden = std::string(key) == "smoothingInterval" ? interval : kalman;
            EXPECT_EQ(configuration.paramAttribute(key, "hidden"), hidden) << key;
            EXPECT_EQ(smoothed.parameter(key)->attribute("hidden"), hidden) << key;
        }
        int written = -1;
        EXPECT_TRUE(configuration.param("smoothingMode", written));
        EXPECT_EQ(written, mode);
    }
}

TEST_F(SmoothedTrackingStreamTest, IntervalOutsideOneTo20000OrAnUnknownModeIsRefusedAndSmoothingGoesOn)
{
    configure(SmoothedTrackingStream::WeightedAverage, 2);
    for (const auto& [mode, interval] : {std::pair{1, 0}, std::pair{1, -4}, std::pair{1, 20001},
                                         std::pair{7, 2}, std::pair{3, 2}, std::pair{-1, 2}}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << ", interval " << interval);
        LogCapture capture;
        configure(mode, interval);
        EXPECT_EQ(countContaining(capture.sink(), "Rejected smoothing"), 1);
        EXPECT_EQ(smoothed.smoothingMode.value(), SmoothedTrackingStream::WeightedAverage);
        EXPECT_EQ(smoothed.smoothingInterval.value(), 2);
    }
    smooth(instrument("tool", translation(0, 0, 0)));
    EXPECT_EQ(translationOf(smooth(instrument("tool", translation(4, 0, 0))).matrix).x(), 2.0);
}

TEST_F(SmoothedTrackingStreamTest, RepeatedOrBackwardTimestampsKeepTheKalmanOutputFiniteAndWarnOnce)
{
    LogCapture capture;
    configure(SmoothedTrackingStream::KalmanFilter);
    // A tool moving 0.05 mm per millisecond whose device clock stalls twice and once jumps back.
    DeviceTime clock(5000);
    for (int n = 0; n < 200; ++n) {
        if (n == 150)
            clock -= 40ms;
        else if (n != 60 && n != 61 && n != 120)
            ++clock;
        const TrackingInstrument input =
            instrument("tool", pose(Eigen::Vector3d::UnitZ(), 0.01 * n, {0.05 * n, 10, 20}));
        const TrackingInstrument output = smooth(input, clock);
        ASSERT_TRUE(output.matrix.allFinite()) << "sample " << n;
        EXPECT_LT((translationOf(output.matrix) - translationOf(input.matrix)).norm(), 1.0) << "sample " << n;
        EXPECT_LT(angleBetweenDegrees(output.matrix, input.matrix), 0.5) << "sample " << n;
    }
    EXPECT_EQ(countContaining(capture.sink(), "repeat or go backwards"), 1);
}

TEST_F(SmoothedTrackingStreamTest, NonFiniteInputPoseNeverGivesANonFiniteOutputInAnyMode)
{
    Eigen::Matrix4d nanRotation = pose(Eigen::Vector3d::UnitX(), 10.0, {1, 2, 3});
    nanRotation(0, 1) = notANumber;
    Eigen::Matrix4d infiniteTranslation = translation(4, 5, 6);
    infiniteTranslation(2, 3) = infinite;
    const Eigen::Matrix4d allNan = Eigen::Matrix4d::Constant(notANumber);
    const std::vector<TrackingInstrument> sequence = {
        instrument("tool", allNan),
        instrument("tool", translation(1, 2, 3)),
        instrument("tool", nanRotation),
        instrument("tool", pose(Eigen::Vector3d::UnitY(), 20.0, {2, 3, 4}), notANumber),
        instrument("tool", infiniteTranslation, 0.5),
        instrument("tool", translation(3, 4, 5), infinite),
        instrument("tool", allNan, 0.0),
        instrument("tool", translation(2, 2, 2)),
    };
    for (int mode : {0, 1, 2}) {
        configure(mode, 3);
        DeviceTime time(100);
        for (std::size_t n = 0; n < sequence.size(); ++n) {
            const TrackingInstrument output = smooth(sequence[n], ++time);
            EXPECT_TRUE(output.matrix.allFinite()) << "mode " << mode << ", sample " << n;
            EXPECT_TRUE(std::isfinite(output.quality)) << "mode " << mode << ", sample " << n;
        }
    }
}

TEST_F(SmoothedTrackingStreamTest, SampleOfAnotherTypeIsLoggedAndNotEmitted)
{
    struct OtherData : StreamData
    {
    };
    LogCapture capture;
    input.newData.emitSignal(std::make_shared<OtherData>());
    EXPECT_EQ(recorder.count(), 0u);
    const auto messages = capture->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              (LogMessage{4, "SmoothedTrackingStream", "Received data is not of type TrackingStreamData"}));
}

TEST_F(SmoothedTrackingStreamTest, OperationsAreForwardedToTheInputWhoseStateChangesAreMirrored)
{
    SignalReceiver receiver;
    std::vector<std::pair<Stream::State, Stream::State>> changes;
    std::mutex changesMutex;
    smoothed.stateChanged.connect(&receiver, [&](Stream::State from, Stream::State to) {
        std::lock_guard lock(changesMutex);
        changes.emplace_back(from, to);
    });
    // Each step is one change of both streams, signalled once.
    Stream::State previous = Stream::Closed;
    const auto expectStates = [&](Stream::State state) {
        EXPECT_EQ(input.state(), state);
        EXPECT_EQ(smoothed.state(), state);
        std::lock_guard lock(changesMutex);
        EXPECT_EQ(changes, (std::vector<std::pair<Stream::State, Stream::State>>{{previous, state}}));
        changes.clear();
        previous = state;
    };
    input.throwOnOpen = true;
    auto opening = smoothed.openAsync();
    EXPECT_THROW(opening.get(), std::runtime_error) << "the input's exception was swallowed";
    expectStates(Stream::Failed);
    EXPECT_EQ(smoothed.failureReason(), "Cannot open \"Tracker\": the device is unplugged.");
    input.throwOnOpen = false;

    // The operation, whether the input's part succeeds, the result and the state after it.
    using Step = std::tuple<bool (Stream::*)(), bool, bool, Stream::State>;
    for (const auto& [operation, succeeds, result, state] :
         {Step{&Stream::open, true, true, Stream::Open}, Step{&Stream::start, true, true, Stream::Running},
          Step{&Stream::pause, true, true, Stream::Paused},
          Step{&Stream::resume, true, true, Stream::Running}, Step{&Stream::stop, true, true, Stream::Open},
          Step{&Stream::start, false, false, Stream::Failed},
          Step{&Stream::close, false, true, Stream::Closed},
          Step{&Stream::open, false, false, Stream::Failed}}) {
        SCOPED_TRACE(state);
        input.succeed = succeeds;
        EXPECT_EQ((smoothed.*operation)(), result);
        expectStates(state);
    }

    // Changes the input makes on its own are mirrored too.
    input.succeed = true;
    EXPECT_TRUE(input.open());
    expectStates(Stream::Open);
    EXPECT_TRUE(input.start());
    expectStates(Stream::Running);
    input.changeState(Stream::Paused);
    EXPECT_TRUE(smoothed.isRunning());
    expectStates(Stream::Paused);
    input.changeState(Stream::Failed);
    EXPECT_FALSE(smoothed.isRunning());
    expectStates(Stream::Failed);
}

// Destroying it is covered with the input emitting, under Concurrency below.
TEST(SmoothedTrackingStreamLifetime, TakesExactlyOneTrackingStreamAndIsNamedAfterIt)
{
    ManualTrackingStream input("Tracker");
    EXPECT_EQ(SmoothedTrackingStream(&input).name(), "Tracker (smoothed)");
    EXPECT_THROW(SmoothedTrackingStream(DataList{}), std::invalid_argument);
    EXPECT_TRUE(SmoothedTrackingStream::isCompatible(DataList{&input}));
    ManualTrackingStream other("Other");
    EXPECT_FALSE(SmoothedTrackingStream::isCompatible(DataList{&input, &other}));
    EXPECT_FALSE(SmoothedTrackingStream::isCompatible(DataList{}));
}

// ---- concurrency (run under ThreadSanitizer in the tsan preset) ----

TEST(SmoothedTrackingStreamConcurrency,
     ReconfiguringFromAReceiverAndAnotherThreadWhileSamplesFlowKeepsOutputsFinite)
{
    ManualTrackingStream input("Tracker");
    SmoothedTrackingStream smoothed(&input);
    SampleRecorder recorder(smoothed);
    // A panel that reconfigures from its slot, on the emitting thread.
    SignalReceiver panel;
    std::atomic<int> received = 0;
    smoothed.newData.connect(&panel, [&](std::shared_ptr<const StreamData>) {
        if (const int n = ++received; n % 50 == 0) {
            const Properties properties = smoothingProperties(n / 50 % 3);
            smoothed.configure(&properties);
        }
    });
    std::atomic<int> emitted = 0;
    std::jthread emitter([&](std::stop_token stop) {
        for (int n = 0; !stop.stop_requested() && n < 20000; ++n) {
            input.emitInstruments(
                {instrument("tool", pose(Eigen::Vector3d(1, 1, 0), 0.1 * n, {0.1 * n, 0, 0})),
                 instrument("ref", translation(0, 0, 100), 0.5)},
                DeviceTime(1000 + n));
            ++emitted;
        }
    });
    // Samples flow during every configuration.
    ASSERT_TRUE(waitUntil([&] { return emitted > 0; }));
    for (int round = 0; round < 300; ++round) {
        const Properties properties = smoothingProperties(round % 3, 1 + round % 7);
        smoothed.configure(&properties);
        Properties readBack;
        smoothed.configuration(&readBack);
        EXPECT_LE(smoothed.instruments().size(), 2u);
        std::this_thread::yield();
    }
    emitter.request_stop();
    emitter.join();
    const auto outputs = recorder.trackingSamples();
    ASSERT_EQ(outputs.size(), static_cast<std::size_t>(emitted));
    EXPECT_EQ(received, emitted);
    for (const auto& output : outputs) {
        ASSERT_EQ(output->instruments().size(), 2u);
        for (const TrackingInstrument& instrument : output->instruments()) {
            EXPECT_TRUE(instrument.matrix.allFinite());
            EXPECT_TRUE(std::isfinite(instrument.quality));
        }
    }
}

TEST(SmoothedTrackingStreamConcurrency, DestroyingWhileTheInputEmitsClosesItDisconnectsAndStopsEveryCallback)
{
    ManualTrackingStream input("Tracker");
    auto smoothed = std::make_unique<SmoothedTrackingStream>(&input);
    ASSERT_TRUE(smoothed->open() && smoothed->start());
    std::atomic<bool> destroyed = false;
    std::atomic<int> outputs = 0, outputsAfterDestruction = 0, emitted = 0;
    SignalReceiver receiver;
    smoothed->newData.connect(&receiver, [&](std::shared_ptr<const StreamData> sample) {
        if (destroyed)
            ++outputsAfterDestruction;
        EXPECT_NE(std::dynamic_pointer_cast<const TrackingStreamData>(sample), nullptr);
        ++outputs;
    });
    std::jthread emitter([&](std::stop_token stop) {
        for (int n = 1; !stop.stop_requested(); ++n) {
            input.emitInstruments({instrument("tool", translation(0.01 * n, 0, 0))}, DeviceTime(n));
            ++emitted;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    ASSERT_TRUE(waitUntil([&] { return outputs >= 20; }));
    smoothed.reset();
    destroyed = true;
    const int emittedAtDestruction = emitted;
    const bool keptEmitting = waitUntil([&] { return emitted >= emittedAtDestruction + 20; });
    emitter.request_stop();
    emitter.join();
    EXPECT_TRUE(keptEmitting);
    EXPECT_EQ(outputsAfterDestruction, 0);
    EXPECT_EQ(input.state(), Stream::Closed);
    EXPECT_EQ(input.newData.connectionCount(), 0u);
    EXPECT_EQ(input.stateChanged.connectionCount(), 0u);
}
