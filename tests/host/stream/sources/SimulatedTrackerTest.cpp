#include "host/stream/sources/SimulatedTracker.h"

#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Properties.h"
#include "host/stream/TrackingInstrumentFiducialsData.h"
#include "host/stream/sources/SimulatedGroundTruthData.h"
#include "host/stream/sources/SimulatedPhantom.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Poses.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

using Sample = std::shared_ptr<const TrackingStreamData>;
using Fiducial = TrackingInstrumentFiducialsData::Fiducial;

std::vector<Sample> generate(SimulatedTracker& tracker, int count)
{
    std::vector<Sample> samples(static_cast<std::size_t>(count));
    std::ranges::generate(samples, [&] { return tracker.generateSample(); });
    return samples;
}

void set(SimulatedTracker& tracker, const std::string& name, const std::string& text)
{
    ASSERT_TRUE(tracker.parameter(name)->setText(text)) << name;
}

Eigen::Matrix4d truth(const Sample& sample, const std::string& id)
{
    return sample->component<SimulatedGroundTruthData>()->trueMarkerToTracker(id).value();
}

Eigen::Vector3d tipIn(const Eigen::Matrix4d& markerToTracker, const SimulatedInstrument& instrument)
{
    return (markerToTracker * instrument.tipOffset().homogeneous()).head<3>();
}

const std::vector<Fiducial>& fiducials(const Sample& sample)
{
    return sample->component<TrackingInstrumentFiducialsData>()->fiducials();
}

bool sameSample(const Sample& a, const Sample& b)
{
    const auto sameInstrument = [](const TrackingInstrument& x, const TrackingInstrument& y) {
        return x.id == y.id && x.matrix == y.matrix && x.quality == y.quality && x.visible == y.visible;
    };
    const auto sameFiducial = [](const Fiducial& x, const Fiducial& y) {
        return x.position == y.position && x.instrumentIdHash == y.instrumentIdHash;
    };
    return a->timestampDevice() == b->timestampDevice() &&
           std::ranges::equal(a->instruments(), b->instruments(), sameInstrument) &&
           std::ranges::equal(fiducials(a), fiducials(b), sameFiducial);
}

/// Records the emitted samples; every callback also reads the tracker back, which must not deadlock and
/// must find the instruments of a sample.
class ReadingBackRecorder : public SampleRecorder
{
public:
    explicit ReadingBackRecorder(SimulatedTracker& tracker) : SampleRecorder(tracker)
    {
        tracker.newData.connect(this, [this, &tracker](std::shared_ptr<const StreamData>) {
            readBackEmpty = readBackEmpty || tracker.instruments().empty();
        });
    }
    ~ReadingBackRecorder() override { disconnectAll(); }
    bool waitFor(std::size_t count)
    {
        return waitUntil([&] { return this->count() >= count; });
    }
    bool ordered() const
    {
        const auto all = samples();
        return !readBackEmpty && std::adjacent_find(all.begin(), all.end(), [](const auto& a, const auto& b) {
                                     return b->timestampDevice() <= a->timestampDevice();
                                 }) == all.end();
    }

    std::atomic<bool> readBackEmpty = false;
};

}  // namespace

TEST(SimulatedTracker, SameSeedReproducesSamplesAndAnotherSeedDoesNot)
{
    SimulatedTracker first, second, other;
    for (SimulatedTracker* tracker : {&first, &second, &other}) {
        set(*tracker, "seed", tracker == &other ? "8" : "7");
        set(*tracker, "dropoutPeriod", "1");
        set(*tracker, "dropoutDuration", "0.2");
    }
    const std::vector<Sample> a = generate(first, 120), b = generate(second, 120), c = generate(other, 120);
    int differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_TRUE(sameSample(a[i], b[i])) << i;
        differing += sameSample(a[i], c[i]) ? 0 : 1;
    }
    EXPECT_EQ(differing, 120);

    // Reopening starts the same simulation over.
    ASSERT_TRUE(first.open());
    const std::vector<Sample> again = generate(first, 120);
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_TRUE(sameSample(a[i], again[i])) << i;
}

TEST(SimulatedTracker, NoiseMatchesTheConfiguredRms)
{
    // Position noise (mm) and orientation noise (degrees) as set, empty for the defaults; the RMS errors
    // expected and their relative tolerance.
    for (const auto& [position, orientation, positionRms, orientationRms, tolerance] :
         {std::tuple{"", "", 0.25, 0.1, 0.1}, std::tuple{"1.5", "0.6", 1.5, 0.6, 0.1},
          std::tuple{"0", "0", 0.0, 0.0, 0.0}}) {
        SCOPED_TRACE(testing::Message() << position << " mm, " << orientation << " degrees");
        SimulatedTracker tracker;
        if (*position) {
            set(tracker, "positionNoise", position);
            set(tracker, "orientationNoise", orientation);
        }
        double positionSum = 0.0, angleSum = 0.0;
        int count = 0;
        for (const Sample& sample : generate(tracker, 500))
            for (const TrackingInstrument& instrument : sample->instruments()) {
                const Eigen::Matrix4d expected = truth(sample, instrument.id.ID());
                positionSum += (instrument.matrix - expected).topRightCorner<3, 1>().squaredNorm();
                angleSum += std::pow(angleBetweenDegrees(instrument.matrix, expected), 2);
                ++count;
            }
        EXPECT_NEAR(std::sqrt(positionSum / count), positionRms, tolerance * positionRms + 1e-9);
        EXPECT_NEAR(std::sqrt(angleSum / count), orientationRms, tolerance * orientationRms + 1e-6);
    }
}

TEST(SimulatedTracker, MeasuredPivotTipStaysAtTheDivotWithinNoise)
{
    SimulatedTracker tracker;
    set(tracker, "instruments", "Pivot");
    const SimulatedInstrument pointer = tracker.simulatedInstrument("Pivot").value();
    // Orientation noise moves the tip across its lever arm: 2/3 of it lies perpendicular to the arm.
    const double orientationRms = 0.1 * std::numbers::pi / 180.0;
    const double expectedRms = std::sqrt(0.25 * 0.25 + 2.0 / 3.0 * pointer.tipOffset().squaredNorm() *
                                                           orientationRms * orientationRms);
    double sum = 0.0, largest = 0.0;
    const std::vector<Sample> samples = generate(tracker, 1000);
    for (const Sample& sample : samples) {
        const double error =
            (tipIn(sample->instrument("Pivot")->matrix, pointer) - pointer.pivotPoint()).norm();
        sum += error * error;
        largest = std::max(largest, error);
    }
    EXPECT_NEAR(std::sqrt(sum / samples.size()), expectedRms, 0.1 * expectedRms);
    EXPECT_LT(largest, 5.0 * expectedRms);
}

TEST(SimulatedTracker, DeviceTimestampsFollowTheRateWithoutDrift)
{
    SimulatedTracker tracker;
    set(tracker, "instruments", "Reference");
    const std::vector<Sample> samples = generate(tracker, 3000);
    EXPECT_EQ(samples.front()->timestampDevice(), DeviceTime(0))
        << "the clock starts at 0, a time like any other";
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const auto timestamp = static_cast<double>(samples[k]->timestampDevice().value().count());
        // Within half a millisecond of k periods, which also makes the times increase.
        ASSERT_LE(std::abs(timestamp - k * 1000.0 / 60.0), 0.5 + 1e-6) << k;
        for (const TrackingInstrument& instrument : samples[k]->instruments())
            ASSERT_EQ(instrument.timestamp, samples[k]->timestampDevice());
        ASSERT_GT(samples[k]->timestampArrival(), 0u);
    }
    EXPECT_NEAR(tracker.latestSampleTimeSeconds(), 2999.0 / 60.0, 1e-9);

    set(tracker, "rate", "1000");
    const DeviceTime last = samples.back()->timestampDevice().value();
    const std::vector<Sample> fast = generate(tracker, 20);
    for (std::size_t k = 0; k < fast.size(); ++k)
        EXPECT_EQ(fast[k]->timestampDevice(),
                  last + DeviceTime(17 + k));  // 2999 * 16.67 ms + one 60 Hz period, then 1 ms
}

TEST(SimulatedTracker, DropOutHidesOneInstrumentForItsSimulatedDuration)
{
    SimulatedTracker tracker;
    set(tracker, "rate", "100");
    const std::uint64_t pivotHash = TrackerID("Pivot").idHash();
    const Eigen::Matrix4d lastSeen = generate(tracker, 10).back()->instrument("Pivot")->matrix;
    // From 0.09 s to 0.345 s: the samples at 0.10 ... 0.34 s.
    tracker.dropOut("Pivot", 0.255);
    const std::vector<Sample> samples = generate(tracker, 40);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const bool hidden = i < 25;
        const TrackingInstrument pivot = samples[i]->instrument("Pivot").value();
        EXPECT_EQ(pivot.visible, !hidden);
        EXPECT_EQ(pivot.quality == 0.0, hidden);
        ASSERT_TRUE(pivot.matrix.allFinite());
        EXPECT_TRUE(!hidden || pivot.matrix == lastSeen);
        EXPECT_TRUE(samples[i]->instrument("Needle")->visible);
        EXPECT_EQ(std::ranges::count(fiducials(samples[i]), pivotHash, &Fiducial::instrumentIdHash),
                  hidden ? 0 : 4);
    }

    LogCapture log;
    tracker.dropOut("Scalpel", 1.0);
    tracker.dropOut("Needle", -1.0);
    tracker.dropOut("Needle", std::nan(""));
    EXPECT_EQ(log->messages().size(), 3u);
    EXPECT_TRUE(tracker.generateSample()->instrument("Needle")->visible);

    // Hidden before it was ever seen, an instrument still reports a usable pose.
    SimulatedTracker fresh;
    fresh.dropOut("Pointer", 1.0);
    const TrackingInstrument pointer = fresh.generateSample()->instrument("Pointer").value();
    EXPECT_FALSE(pointer.visible);
    EXPECT_TRUE(pointer.matrix.allFinite());
}

TEST(SimulatedTracker, PeriodicDropoutsHideEachInstrumentForItsShareAndFiducialsFollowTheReportedPoses)
{
    SimulatedTracker tracker;
    set(tracker, "rate", "100");
    set(tracker, "dropoutPeriod", "1");
    set(tracker, "dropoutDuration", "0.25");
    std::map<std::string, int> hiddenCounts;
    for (const Sample& sample : generate(tracker, 400)) {
        std::map<std::uint64_t, std::vector<Eigen::Vector3d>> byHash;
        for (const Fiducial& fiducial : fiducials(sample))
            byHash[fiducial.instrumentIdHash].push_back(fiducial.position);
        for (const SimulatedInstrument& simulated : tracker.simulatedInstruments()) {
            const TrackingInstrument instrument = sample->instrument(simulated.id().ID()).value();
            ASSERT_TRUE(instrument.matrix.allFinite());
            hiddenCounts[instrument.id.ID()] += instrument.visible ? 0 : 1;
            ASSERT_TRUE(instrument.visible ? instrument.quality >= 0.9 && instrument.quality <= 1.0
                                           : instrument.quality == 0.0);
            // A seen instrument's fiducials are tagged with it and sit where its reported pose puts them.
            const std::vector<Eigen::Vector3d>& positions = byHash[simulated.id().idHash()];
            ASSERT_EQ(positions.size(), instrument.visible ? simulated.fiducials().size() : 0u)
                << instrument.id.ID();
            for (std::size_t i = 0; i < positions.size(); ++i)
                EXPECT_TRUE(positions[i].isApprox(
                    (instrument.matrix * simulated.fiducials()[i].homogeneous()).head<3>(), 1e-12));
        }
        ASSERT_EQ(byHash.size(), sample->instruments().size())
            << "fiducials of an instrument not in the sample";
    }
    ASSERT_EQ(hiddenCounts.size(), SimulatedInstrument::knownIds().size());
    for (const auto& [id, hidden] : hiddenCounts)
        EXPECT_NEAR(hidden, 100, 5) << id;
}

TEST(SimulatedTracker, ConfigurationSelectsInstrumentsAndRoundTrips)
{
    SimulatedTracker tracker;
    EXPECT_EQ(tracker.parameter("rate")->attribute("min"), "1");
    EXPECT_EQ(tracker.parameter("rate")->attribute("max"), "5000");
    EXPECT_TRUE(tracker.instruments().empty());

    int updates = 0;
    SignalReceiver receiver;
    tracker.updated.connect(&receiver, [&updates] { ++updates; });
    Properties properties;
    properties.setParam("instruments", std::string(" needle,Pointer ,needle"));
    properties.setParam("rate", 250.0);
    properties.setParamText("PointerMotion", "5");
    tracker.configure(&properties);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(tracker.simulatedInstrument("Pointer")->motion().kind(), SimulatedMotion::Kind::DivotTour);

    const Sample sample = tracker.generateSample();
    ASSERT_EQ(sample->instruments().size(), 2u);
    EXPECT_EQ(sample->instruments()[0].id.ID(), "Needle");
    EXPECT_EQ(sample->instruments()[1].id.ID(), "Pointer");
    EXPECT_EQ(tracker.instruments().size(), 2u);
    EXPECT_FALSE(tracker.simulatedInstrument("Pivot"));

    Properties written;
    tracker.configuration(&written);
    EXPECT_EQ(written.paramText("PointerMotion"), "5");
    SimulatedTracker copy;
    copy.configure(&written);
    EXPECT_TRUE(sameSample(copy.generateSample(), sample));

    ASSERT_TRUE(tracker.close());
    EXPECT_TRUE(tracker.instruments().empty());
}

TEST(SimulatedTracker, RejectsInvalidValuesWithOneMessageAndKeepsThePreviousValue)
{
    SimulatedTracker tracker;
    for (const std::string assignment :
         {"rate=0", "rate=-5", "rate=6000", "rate=nan", "positionNoise=-0.1", "orientationNoise=inf",
          "instruments=Needle,Scalpel", "dropoutPeriod=-1", "dropoutDuration=nan", "NeedleMotion=6",
          "PointerMotion=-1"}) {
        SCOPED_TRACE(assignment);
        const std::string name = assignment.substr(0, assignment.find('='));
        const std::string before = tracker.parameter(name)->text();
        LogCapture log;
        Properties properties;
        properties.setParamText(name, assignment.substr(name.size() + 1));
        tracker.configure(&properties);
        EXPECT_EQ(tracker.parameter(name)->text(), before);
        ASSERT_EQ(log->messages().size(), 1u);
        EXPECT_EQ(log->messages()[0].category, "Parameter");
        EXPECT_NE(log->messages()[0].text.find(name), std::string::npos);
    }
    // The kept values still rule the simulation: all instruments, 60 Hz, no dropouts.
    const std::vector<Sample> samples = generate(tracker, 2);
    EXPECT_EQ(samples[1]->timestampDevice(), DeviceTime(17));
    EXPECT_EQ(samples[1]->instruments().size(), SimulatedInstrument::knownIds().size());
}

TEST(SimulatedTracker, PausedWorkerKeepsSimulatingButEmitsNothingAndRestartingKeepsTheClock)
{
    SimulatedTracker tracker;
    set(tracker, "rate", "1000");
    ReadingBackRecorder counter(tracker);
    ASSERT_TRUE(tracker.open() && tracker.start());
    ASSERT_TRUE(counter.waitFor(20));
    ASSERT_TRUE(tracker.pause());
    EXPECT_EQ(tracker.state(), Stream::Paused);
    const std::size_t atPause = counter.count();
    const double timeAtPause = tracker.latestSampleTimeSeconds();
    ASSERT_TRUE(waitUntil([&] { return tracker.latestSampleTimeSeconds() > timeAtPause + 0.02; }));
    EXPECT_LE(counter.count(), atPause + 1) << "only a sample already on its way may arrive";

    ASSERT_TRUE(tracker.resume());
    ASSERT_TRUE(counter.waitFor(atPause + 20));
    ASSERT_TRUE(tracker.stop());
    ASSERT_TRUE(tracker.start());
    ASSERT_TRUE(counter.waitFor(counter.count() + 20));
    ASSERT_TRUE(tracker.stop());
    EXPECT_TRUE(counter.ordered());
}

TEST(SimulatedTracker, WithoutInstrumentsItFailsToOpenUntilGivenOne)
{
    SimulatedTracker tracker;
    set(tracker, "instruments", "");
    EXPECT_FALSE(tracker.open());
    EXPECT_EQ(tracker.state(), Stream::Failed);
    EXPECT_EQ(tracker.failureReason(),
              "\"Simulated Tracker\" has no instrument to simulate; list at least one in \"instruments\".");
    set(tracker, "instruments", "Needle");
    EXPECT_TRUE(tracker.open());
    EXPECT_EQ(tracker.state(), Stream::Open);
}

TEST(SimulatedTracker, ReconfiguringAndDestroyingWhileRunningIsSafe)
{
    auto tracker = std::make_unique<SimulatedTracker>();
    set(*tracker, "rate", "1000");
    ReadingBackRecorder counter(*tracker);
    ASSERT_TRUE(tracker->start());
    ASSERT_TRUE(counter.waitFor(10));
    std::thread configurer([&tracker] {
        for (int i = 0; i < 40; ++i) {
            Properties properties;
            properties.setParam("rate", i % 2 ? 800.0 : 1000.0);
            properties.setParam("instruments",
                                std::string(i % 2 ? "Needle,Pivot" : "Reference,Pivot,Needle"));
            properties.setParam("positionNoise", 0.1 * i);
            properties.setParamText("NeedleMotion", i % 2 ? "1" : "5");
            tracker->configure(&properties);
            tracker->dropOut("Pivot", 0.01);
            Properties read;
            tracker->configuration(&read);
        }
    });
    configurer.join();
    ASSERT_TRUE(counter.waitFor(counter.count() + 10));
    tracker.reset();
    const std::size_t atDestruction = counter.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(counter.count(), atDestruction);
    EXPECT_TRUE(counter.ordered());
}

TEST(SimulatedTrackerMotion, EachKnownToolsMotionIsAChoiceDefaultingToItsScriptedMotion)
{
    SimulatedTracker tracker;
    const std::vector<Sample> samples = generate(tracker, 30);
    for (const std::string& id : SimulatedInstrument::knownIds()) {
        const ParameterBase* motion = tracker.parameter(SimulatedTracker::motionParameterName(id));
        ASSERT_NE(motion, nullptr) << id;
        EXPECT_EQ(motion->label(), id + " Motion");
        EXPECT_EQ(motion->choiceTexts(),
                  (std::vector<std::string>{"At Rest", "Pivoting About Tip", "Turning About Shaft",
                                            "Hand-Held", "Following Path", "Visiting Divots"}));
        const SimulatedInstrument scripted = SimulatedInstrument::create(id, 1).value();
        EXPECT_EQ(motion->text(), std::to_string(static_cast<int>(scripted.scriptedKind())));
        for (const Sample& sample : samples)
            ASSERT_EQ(truth(sample, id), scripted.trueMarkerToTracker(
                                             sample->component<SimulatedGroundTruthData>()->timeSeconds()))
                << id;
    }
}

TEST(SimulatedTrackerMotion, ChosenMotionStartsFromItsBeginningAtTheNextSample)
{
    using Kind = SimulatedMotion::Kind;
    // The tool, the motion chosen, and whether its tip, its shaft's direction and its orientation stay put.
    for (const auto& [id, kind, tipStays, shaftStays, orientationStays] :
         {std::tuple{"Needle", Kind::Still, true, true, true},
          std::tuple{"Needle", Kind::Pivot, true, false, false},
          std::tuple{"Pivot", Kind::Spin, true, true, false},
          std::tuple{"Reference", Kind::Wander, false, false, false},
          std::tuple{"Needle", Kind::Path, false, true, true},
          std::tuple{"Path", Kind::DivotTour, false, true, true}}) {
        SCOPED_TRACE(testing::Message() << id << " " << static_cast<int>(kind));
        SimulatedTracker tracker;
        generate(tracker, 100);
        set(tracker, SimulatedTracker::motionParameterName(id), std::to_string(static_cast<int>(kind)));
        const SimulatedInstrument instrument = tracker.simulatedInstrument(id).value();
        std::vector<Eigen::Matrix4d> poses;
        for (const Sample& sample : generate(tracker, 600))
            poses.push_back(truth(sample, id));
        EXPECT_TRUE(poses[0].isApprox(instrument.motionOfKind(kind).markerToTracker(0.0).matrix(), 1e-12));
        double tipMoved = 0.0, shaftTurned = 0.0, turned = 0.0;
        for (const Eigen::Matrix4d& pose : poses) {
            const Eigen::Matrix3d rotationChange = (pose - poses[0]).topLeftCorner<3, 3>();
            tipMoved = std::max(tipMoved, (tipIn(pose, instrument) - tipIn(poses[0], instrument)).norm());
            shaftTurned = std::max(shaftTurned, (rotationChange * instrument.needleAxis()).norm());
            turned = std::max(turned, rotationChange.norm());
        }
        EXPECT_EQ(tipMoved < 1e-9, tipStays);
        EXPECT_EQ(shaftTurned < 1e-9, shaftStays);
        EXPECT_EQ(turned < 1e-9, orientationStays);
        if (kind == Kind::Path) {
            EXPECT_NEAR(tipMoved, 80.0, 0.1) << "pushed 80 mm along the shaft";
        }
    }
}

TEST(SimulatedTrackerMotion, FollowingAPlanHoldsTheShaftAlongItEntersOffItAndReachesTheTarget)
{
    SimulatedTracker tracker;
    const SimulatedInstrument::PlannedPath plan{{10, 20, -1300}, {10, 80, -1280}};
    EXPECT_FALSE(tracker.setPlannedPath("Needle", {plan.entry, plan.entry}));
    EXPECT_FALSE(tracker.setPlannedPath("Nobody", plan));
    ASSERT_TRUE(tracker.setPlannedPath("Needle", plan));
    set(tracker, "NeedleMotion", std::to_string(static_cast<int>(SimulatedMotion::Kind::Path)));
    set(tracker, "seed", "7");  // rebuilding the instruments keeps the plan
    const SimulatedInstrument needle = tracker.simulatedInstrument("Needle").value();
    // In and out in 10 s at 60 Hz: the deepest point is reached after 5 s.
    const std::vector<Sample> samples = generate(tracker, 301);
    const Eigen::Matrix4d entering = truth(samples.front(), "Needle");
    EXPECT_NEAR((tipIn(entering, needle) - plan.entry).norm(), 2.0, 1e-9);
    EXPECT_TRUE(tipIn(truth(samples.back(), "Needle"), needle).isApprox(plan.target, 1e-9));
    const Eigen::Vector3d shaft = entering.topLeftCorner<3, 3>() * needle.needleAxis();
    EXPECT_TRUE(shaft.isApprox((plan.target - plan.entry).normalized(), 1e-9));
}

TEST(SimulatedTrackerMotion, DivotTourRestsTheMeasuredTipInEachDivotInTurnFromTheFirst)
{
    SimulatedTracker tracker;
    set(tracker, "instruments", "Pointer");
    generate(tracker, 77);
    set(tracker, "PointerMotion", "5");
    const SimulatedInstrument pointer = tracker.simulatedInstrument("Pointer").value();
    const std::vector<Eigen::Vector3d> divots = SimulatedPhantom::divotsInTracker();
    // 3 s in a divot, 1.5 s to the next, at 60 Hz; after the last divot the tour starts over.
    const std::vector<Sample> samples = generate(tracker, 8 * 270 + 180);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Eigen::Vector3d tip = tipIn(samples[i]->instrument("Pointer")->matrix, pointer);
        const double distance = (tip - divots[(i / 270) % divots.size()]).norm();
        const std::size_t slot = i % 270;
        if (slot < 180 || (slot > 200 && slot < 250)) {
            ASSERT_EQ(distance < 1.5, slot < 180) << i << ": " << distance << " mm";
        }
    }
    // Reopening starts the tour over with the clock.
    ASSERT_TRUE(tracker.open());
    EXPECT_LT((tipIn(truth(tracker.generateSample(), "Pointer"), pointer) - divots[0]).norm(), 1e-9);
}

TEST(SimulatedTrackerMotion, MotionChosenForAnUnlistedToolAppliesOnceListedAndSurvivesReseeding)
{
    SimulatedTracker tracker;
    set(tracker, "instruments", "Reference");
    set(tracker, "PointerMotion", "0");
    set(tracker, "instruments", "Reference,Pointer");
    set(tracker, "seed", "9");
    const Eigen::Matrix4d rest = SimulatedInstrument::create("Pointer", 9)->motion().restingPose().matrix();
    for (const Sample& sample : generate(tracker, 20))
        ASSERT_EQ(truth(sample, "Pointer"), rest);
}
