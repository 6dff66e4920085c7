#include "navigation/calibration/TrackingToolCalibrationWizard.h"

#include "host/gl/ApplicationController.h"
#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackingStreamDisplayOptions.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/PivotRecording.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

class CalibrationWizardTest : public testing::Test
{
protected:
    CalibrationWizardTest()
    {
        stream.setInstruments(
            {instrument("Tool", translation(0, 0, 0)), instrument("Other", translation(9, 0, 0))});
        options().trackingHistory = 5;
        wizard = std::make_unique<TrackingToolCalibrationWizard>(&algorithm);
        wizard->setApplicationController(&application);
        wizard->init();
    }

    TrackingStreamDisplayOptions& options()
    {
        return stream.components().getOrCreate<TrackingStreamDisplayOptions>();
    }
    QPushButton& button(const char* name) { return *wizard->findChild<QPushButton*>(name); }

    /// Records these poses of "Tool" between Start and Stop.
    void record(const TrackingSequence& motion)
    {
        button("startStopButton").click();
        for (std::size_t i = 0; i < motion.size(); ++i)
            stream.emitInstruments({instrument("Tool", motion.matrix(i))});
        button("startStopButton").click();
    }

    ManualTrackingStream stream;
    TrackingToolCalibrationWizardAlgorithm algorithm{&stream};
    ApplicationController application;
    std::unique_ptr<TrackingToolCalibrationWizard> wizard;
};

}  // namespace

TEST_F(CalibrationWizardTest, ShowsOnlyTheStreamInOneViewWhileOpenAndRestoresTheDisplayWhenClosed)
{
    DisplayWidgetMulti& display = application.display();
    EXPECT_EQ(display.viewLayout(), DisplayWidgetMulti::Single3DLayout);
    EXPECT_EQ(options().trackingHistory.value(), 0);
    EXPECT_FALSE(display.view3D()->showsData(reinterpret_cast<const Data*>(&application)));
    EXPECT_TRUE(display.view3D()->showsData(&stream));
    EXPECT_EQ(display.view3D()->overlays().size(), 1u);
    wizard.reset();
    EXPECT_EQ(display.viewLayout(), DisplayWidgetMulti::GridLayout);
    EXPECT_EQ(options().trackingHistory.value(), 5);
    EXPECT_TRUE(display.view3D()->showsData(reinterpret_cast<const Data*>(&application)));
    EXPECT_TRUE(display.view3D()->overlays().empty());
    EXPECT_TRUE(display.view3D()->objects().empty());  // grid, arrow and recordings are gone
}

TEST_F(CalibrationWizardTest, TheGridLiesAcrossTheToolThroughItsPivotUntilAnotherInstrumentIsChosen)
{
    const Eigen::Vector3d tip(2, -1, -150), pivot(30, 40, -1000);
    button("nextButton").click();
    record(*pivotRecording(tip, pivot, 25.0, 200));
    button("nextButton").click();
    record(*spinRecording(Eigen::Vector3d::UnitZ(), 90.0, 60));
    ASSERT_TRUE(algorithm.pivotPosition() && algorithm.toolDirection());
    const Eigen::Matrix4d grid = wizard->grid().matrix();
    const Eigen::Vector3d gridCentre = grid.topRightCorner<3, 1>();
    const Eigen::Vector3d gridNormal = grid.block<3, 1>(0, 2);
    const Eigen::Matrix3d gridRotation = grid.topLeftCorner<3, 3>();
    EXPECT_TRUE(wizard->grid().isVisible() && wizard->arrow().isVisible());
    EXPECT_TRUE(gridCentre.isApprox(*algorithm.pivotPosition()));
    EXPECT_TRUE(gridNormal.isApprox(algorithm.toolDirection()->normalized(), 1e-9));
    EXPECT_NEAR(gridRotation.determinant(), 1.0, 1e-9);
    EXPECT_TRUE(wizard->arrow().start().isApprox(*algorithm.pivotPosition()));
    EXPECT_TRUE(button("nextButton").isVisibleTo(wizard.get()));

    // Another instrument's calibration starts afresh: no grid, no arrow, the recording pages incomplete.
    wizard->findChild<TrackingInstrumentComboBox*>("instrumentsComboBox")->selectInstrument("Other");
    EXPECT_FALSE(wizard->grid().isVisible() || wizard->arrow().isVisible());
    EXPECT_FALSE(algorithm.hasPivoting() || algorithm.hasRotation());
    EXPECT_FALSE(button("nextButton").isVisibleTo(wizard.get()));
}
