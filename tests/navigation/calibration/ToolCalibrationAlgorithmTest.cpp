#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "tests/support/LogCapture.h"
#include "tests/support/PivotRecording.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const Eigen::Vector3d trueTip(3.0, -1.5, -158.0);
const Eigen::Vector3d truePivot(40.0, -30.0, -1300.0);
const Eigen::Matrix3d halfTurn = Eigen::Vector3d(1.0, -1.0, -1.0).asDiagonal();

}  // namespace

TEST(ToolCalibrationAlgorithm, PivotRecoversTipAndPivotAndStoresTheCalibration)
{
    auto sequence = pivotRecording(trueTip, truePivot, 30.0, 300, 0.25);
    ToolCalibrationAlgorithm algorithm({sequence.get()});
    algorithm.compute();
    ASSERT_EQ(algorithm.status(), Algorithm::Success) << algorithm.problem();
    EXPECT_LT((algorithm.calibration().topRightCorner<3, 1>() - trueTip).norm(), 0.3);
    EXPECT_TRUE((algorithm.calibration().topLeftCorner<3, 3>().isIdentity(1e-12)));
    EXPECT_LT((*algorithm.pivotPosition() - truePivot).norm(), 0.3);
    EXPECT_EQ(sequence->calibration(), algorithm.calibration());
    EXPECT_EQ(algorithm.lastPivotFit()->samplesUsed, 300u);
    EXPECT_NEAR(algorithm.lastPivotFit()->rmsResidual, 0.25, 0.1);
}

TEST(ToolCalibrationAlgorithm, StillToolIsRefusedAndKeepsItsEarlierCalibration)
{
    auto sequence = pivotRecording(trueTip, truePivot, 0.0, 100, 0.1);
    const Eigen::Matrix4d earlier = translation(1, 2, 3);
    sequence->setCalibration(earlier);
    LogCapture capture;
    ToolCalibrationAlgorithm algorithm({sequence.get()});
    algorithm.compute();
    EXPECT_EQ(algorithm.status(), ToolCalibrationAlgorithm::DegenerateMotion);
    EXPECT_FALSE(algorithm.problem().empty());
    EXPECT_TRUE(capture->contains(algorithm.problem()));
    EXPECT_EQ(sequence->calibration(), earlier);
    EXPECT_FALSE(algorithm.pivotPosition());
}

TEST(ToolCalibrationAlgorithm, UnusableInputsAreRefused)
{
    auto single = pivotRecording(trueTip, truePivot, 30.0, 1);
    auto good = pivotRecording(trueTip, truePivot, 30.0, 100);
    TrackingSequence empty(TrackerID("Tool"));
    const std::vector<std::vector<TrackingSequence*>> inputs = {{single.get()},
                                                                {},
                                                                {good.get(), &empty},
                                                                {good.get(), nullptr},
                                                                {good.get(), good.get(), good.get()}};
    for (const auto& input : inputs) {
        ToolCalibrationAlgorithm algorithm(input);
        LogCapture capture;
        algorithm.compute();
        EXPECT_EQ(algorithm.status(), ToolCalibrationAlgorithm::UnusableInput);
        EXPECT_EQ(
            capture->count("Input tracking sequence requirements not fulfilled! Missing sequence or too many "
                           "sequences."),
            1);
    }
}

TEST(ToolCalibrationAlgorithm, NeedleDirectionIsTheTurningAxisInAProperFrame)
{
    // An axis 12 degrees from x still takes its roll from crossing with x, as stored calibrations did.
    for (const Eigen::Vector3d& axis : std::vector<Eigen::Vector3d>{
             Eigen::Vector3d(0.04, -0.03, -1.0).normalized(), Eigen::Vector3d::UnitX(),
             Eigen::Vector3d(1, 1, 1).normalized(), Eigen::Vector3d(1.0, 0.2, 0.1).normalized()}) {
        auto sequence = spinRecording(axis, 90.0, 20, pose({0, 1, 0}, 30, {5, 6, 7}));
        ToolCalibrationAlgorithm algorithm(nullptr, sequence.get());
        algorithm.compute();
        ASSERT_EQ(algorithm.status(), Algorithm::Success);
        const Eigen::Matrix3d frame = algorithm.calibration().topLeftCorner<3, 3>();
        EXPECT_NEAR(std::abs(frame.col(2).dot(axis)), 1.0, 1e-9);
        EXPECT_TRUE((frame.transpose() * frame).isIdentity(1e-9));
        EXPECT_NEAR(frame.determinant(), 1.0, 1e-9);
        EXPECT_TRUE((algorithm.calibration().topRightCorner<3, 1>().isZero()));
        if (!axis.isApprox(Eigen::Vector3d::UnitX())) {
            EXPECT_TRUE(
                frame.col(1).isApprox(frame.col(2).cross(Eigen::Vector3d::UnitX()).normalized(), 1e-9));
        }
    }
}

TEST(ToolCalibrationAlgorithm, NeedleDirectionUsesOnlyTheFirstAndLastSample)
{
    auto plain = spinRecording({0, 0, 1}, 60.0, 3);
    TrackingSequence disturbed(TrackerID("Tool"));
    disturbed.add(plain->sample(0));
    disturbed.add({pose({1, 0, 0}, 70, {100, 0, 0}), 1.0, 0.1, {}});
    disturbed.add(plain->sample(2));
    ToolCalibrationAlgorithm first(nullptr, plain.get());
    ToolCalibrationAlgorithm second(nullptr, &disturbed);
    first.compute();
    second.compute();
    EXPECT_TRUE(first.calibration().isApprox(second.calibration()));
}

TEST(ToolCalibrationAlgorithm, TwoRecordingsGiveTheTipAsTranslationAndTheAxisAsZ)
{
    auto pivoting = pivotRecording(trueTip, truePivot, 30.0, 200, 0.0);
    auto spinning = spinRecording(trueTip.normalized(), 120.0, 30);
    ToolCalibrationAlgorithm algorithm(pivoting.get(), spinning.get());
    EXPECT_EQ(algorithm.calibrationType(), ToolCalibrationAlgorithm::PivotAndNeedleDir);
    algorithm.compute();
    ASSERT_EQ(algorithm.status(), Algorithm::Success) << algorithm.problem();
    EXPECT_LT((algorithm.calibration().topRightCorner<3, 1>() - trueTip).norm(), 1e-6);
    EXPECT_NEAR(std::abs(algorithm.calibration().col(2).head<3>().dot(trueTip.normalized())), 1.0, 1e-9);
    EXPECT_EQ(pivoting->calibration(), algorithm.calibration());
    EXPECT_EQ(spinning->calibration(), algorithm.calibration());
}

TEST(ToolCalibrationAlgorithm, FlipTurnsHalfAboutXOnceAndTwiceRestores)
{
    auto plain = spinRecording({0, 0, 1}, 90.0, 10);
    ToolCalibrationAlgorithm unflipped(nullptr, plain.get());
    unflipped.compute();
    const Eigen::Matrix4d reference = unflipped.calibration();
    const Eigen::Vector3d direction = *unflipped.toolDirection();

    auto copy = spinRecording({0, 0, 1}, 90.0, 10);
    ToolCalibrationAlgorithm flipped(nullptr, copy.get());
    Properties configuration;
    configuration.setParam("flip", true);
    flipped.configure(&configuration);
    flipped.compute();
    EXPECT_FALSE(flipped.flip());
    EXPECT_TRUE(
        (flipped.calibration().topLeftCorner<3, 3>().isApprox(reference.topLeftCorner<3, 3>() * halfTurn)));
    EXPECT_TRUE(flipped.toolDirection()->isApprox(-direction));

    flipped.rotateCalibration180();
    flipped.rotateCalibration180();
    EXPECT_FALSE(flipped.flip());
    EXPECT_TRUE(copy->calibration().isApprox(flipped.calibration()));
    EXPECT_TRUE(flipped.toolDirection()->isApprox(-direction));
}

TEST(ToolCalibrationAlgorithm, ConfigurationKeysAndRefusedValues)
{
    auto sequence = spinRecording({0, 0, 1}, 90.0, 10);
    ToolCalibrationAlgorithm algorithm({sequence.get()});
    // Values outside the enumeration are refused and keep the type.
    const std::pair<int, int> setAndSeen[] = {{5, ToolCalibrationAlgorithm::Pivot3d},
                                              {-1, ToolCalibrationAlgorithm::Pivot3d},
                                              {1, ToolCalibrationAlgorithm::NeedleDir}};
    for (const auto& [set, seen] : setAndSeen) {
        Properties configuration;
        configuration.setParam("CalibrationType", set);
        algorithm.configure(&configuration);
        EXPECT_EQ(algorithm.calibrationType(), seen) << set;
    }

    Properties written;
    algorithm.configuration(&written);
    EXPECT_EQ(written.paramNames(), (std::vector<std::string>{"CalibrationType", "flip"}));
    EXPECT_EQ(written.paramType("CalibrationType"), ParamType::Enumeration);
    EXPECT_EQ(written.paramAttribute("CalibrationType", "values"), "Pivot3d,NeedleDir");

    auto second = spinRecording({0, 0, 1}, 90.0, 10);
    ToolCalibrationAlgorithm pair(sequence.get(), second.get());
    Properties nothing;
    pair.configuration(&nothing);
    EXPECT_TRUE(nothing.paramNames().empty());
}

TEST(ToolCalibrationAlgorithm, CreatedForOneRecordingAsPivotAndForTwoAsPivotAndNeedleDirection)
{
    TrackingSequence a(TrackerID("A")), b(TrackerID("B"));
    const auto createdType = [](const DataList& selection) {
        Algorithm* created = nullptr;
        EXPECT_TRUE(ToolCalibrationAlgorithm::createCompatible(selection, &created));
        const std::unique_ptr<Algorithm> owned(created);
        return static_cast<ToolCalibrationAlgorithm*>(created)->calibrationType();
    };
    EXPECT_EQ(createdType({&a}), ToolCalibrationAlgorithm::Pivot3d);
    EXPECT_EQ(createdType({&a, &b}), ToolCalibrationAlgorithm::PivotAndNeedleDir);
}
