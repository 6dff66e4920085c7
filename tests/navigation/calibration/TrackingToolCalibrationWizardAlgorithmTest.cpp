#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/PivotRecording.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

constexpr double degreesPerRadian = 180.0 / std::numbers::pi;

/// n samples turning about z by `stepRadians` each (so consecutive rotation distances are known).
std::unique_ptr<TrackingSequence> turning(std::size_t n, double stepRadians)
{
    auto sequence = std::make_unique<TrackingSequence>(TrackerID("Tool"));
    for (std::size_t i = 0; i < n; ++i) {
        const double degrees = static_cast<double>(i) * stepRadians * degreesPerRadian;
        sequence->add({pose({0, 0, 1}, degrees, {0, 0, 0}), 1.0, 0.0, {}});
    }
    return sequence;
}

/// A first and a last sample this far apart, with wild poses in between.
std::unique_ptr<TrackingSequence> rotationOf(double radians)
{
    auto sequence = std::make_unique<TrackingSequence>(TrackerID("Tool"));
    sequence->add({Eigen::Matrix4d::Identity(), 1.0, 0.0, {}});
    sequence->add({pose({1, 0, 0}, 170, {0, 0, 0}), 1.0, 0.1, {}});
    sequence->add({pose({0, 1, 1}, radians * degreesPerRadian, {9, 9, 9}), 1.0, 0.2, {}});
    return sequence;
}

class WizardAlgorithm : public testing::Test
{
protected:
    ManualTrackingStream stream;
    InstrumentCalibrationDataComponent& store()
    {
        return stream.components().getOrCreate<InstrumentCalibrationDataComponent>();
    }
};

}  // namespace

TEST_F(WizardAlgorithm, PivotingNeedsFiftySamplesAndTwoRadiansOverFortyNineSteps)
{
    TrackingToolCalibrationWizardAlgorithm wizard(&stream);
    LogCapture capture;
    EXPECT_FALSE(wizard.setPivoting(turning(49, 0.1)));
    EXPECT_TRUE(capture->messages().empty());
    // 50 samples: step 1.0, 49 distances of the per-sample step.
    EXPECT_FALSE(wizard.setPivoting(turning(50, 1.99 / 49.0)));
    EXPECT_TRUE(capture->contains("Pivoting sequence: Cumulated geodesic distance 1.9"));
    EXPECT_TRUE(wizard.setPivoting(turning(50, 2.0 / 49.0 + 1e-12)));
    // 100 samples use 0, 2, ..., 98: 49 double steps.
    capture->clear();
    EXPECT_TRUE(wizard.setPivoting(turning(100, 1.0 / 49.0 + 1e-12)));
    EXPECT_TRUE(capture->contains("Cumulated geodesic distance 2"));
}

TEST_F(WizardAlgorithm, RotationComparesOnlyTheFirstAndLastSample)
{
    TrackingToolCalibrationWizardAlgorithm wizard(&stream);
    EXPECT_FALSE(wizard.setRotation(turning(1, 0.0)));
    EXPECT_FALSE(wizard.setRotation(rotationOf(0.4)));
    EXPECT_TRUE(wizard.setRotation(rotationOf(0.6)));
}

TEST_F(WizardAlgorithm, AbandoningRestoresTheEarlierCalibrationAndAcceptKeepsTheNewOne)
{
    const Eigen::Matrix4d earlier = translation(0, 0, -100);
    store().setCalibration("Tool", earlier, 0.7);
    const Eigen::Vector3d tip(2, 1, -150);
    const auto calibrate = [&](bool accept) {
        TrackingToolCalibrationWizardAlgorithm wizard(&stream);
        wizard.setInstrument("Tool");
        ASSERT_TRUE(wizard.setPivoting(pivotRecording(tip, {0, 0, -1000}, 30.0, 120)));
        wizard.compute();
        EXPECT_LT((store().calibration("Tool")->matrix.topRightCorner<3, 1>() - tip).norm(), 1e-6);
        // Abandoned, the remembered calibration is the one from before the first compute.
        accept ? wizard.accept() : wizard.compute();
    };
    calibrate(false);
    EXPECT_EQ(store().calibration("Tool")->matrix, earlier);
    EXPECT_EQ(store().calibration("Tool")->error, 0.7);
    calibrate(true);
    EXPECT_LT((store().calibration("Tool")->matrix.topRightCorner<3, 1>() - tip).norm(), 1e-6);
}

TEST_F(WizardAlgorithm, ComputesOnlyForAnInstrumentAndChangingItRestoresTheFirstOne)
{
    store().setCalibration("Tool", Eigen::Matrix4d::Identity(), 0.0);
    TrackingToolCalibrationWizardAlgorithm wizard(&stream);
    ASSERT_TRUE(wizard.setPivoting(pivotRecording({0, 0, -120}, {0, 0, -900}, 25.0, 80)));
    wizard.compute();  // no instrument chosen yet: nothing is stored
    EXPECT_EQ(store().instrumentIds(), std::vector<std::string>{"Tool"});
    wizard.setInstrument("Tool");
    wizard.compute();
    wizard.setInstrument("Tool");  // same instrument: nothing happens
    EXPECT_FALSE(store().calibration("Tool")->matrix.isIdentity());
    wizard.setInstrument("Other");
    EXPECT_TRUE(store().calibration("Tool")->matrix.isIdentity());
    wizard.compute();  // no recordings are kept any more: nothing is stored for "Other"
    EXPECT_FALSE(store().calibration("Other"));
}
