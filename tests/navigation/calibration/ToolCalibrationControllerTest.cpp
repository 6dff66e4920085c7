#include "host/gui/ParameterWidget.h"
#include "navigation/calibration/ToolCalibrationAlgorithm.h"
#include "navigation/calibration/ToolCalibrationController.h"
#include "tests/support/PivotRecording.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

QPushButton* button(QWidget& panel, const QString& text)
{
    for (auto* candidate : panel.findChildren<QPushButton*>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

}  // namespace

TEST(ToolCalibrationController, ComputesShowsTheTipAndRotateTurnsTheResultHalfAndBack)
{
    auto sequence = pivotRecording({3.0, -1.5, -158.0}, {40.0, -30.0, -1300.0}, 30.0, 200, 0.25);
    ToolCalibrationAlgorithm algorithm({sequence.get()});
    ToolCalibrationController panel(&algorithm);
    panel.init();
    ASSERT_TRUE(qobject_cast<QComboBox*>(panel.parameterWidget()->editor("CalibrationType")));
    auto* flip = qobject_cast<QCheckBox*>(panel.parameterWidget()->editor("flip"));
    ASSERT_TRUE(flip);
    QPushButton* rotate = button(panel, "Rotate 180");
    ASSERT_TRUE(rotate);

    button(panel, "Compute")->click();
    EXPECT_EQ(panel.statusText(), "Done.");
    EXPECT_TRUE(panel.resultText().contains("Tip offset: (3.0")) << panel.resultText().toStdString();
    EXPECT_TRUE(panel.resultText().contains("Residuals: RMS 0.2"));
    const Eigen::Matrix4d computed = sequence->calibration();

    rotate->click();
    EXPECT_TRUE(flip->isChecked());
    const Eigen::Matrix3d halfTurn = Eigen::Vector3d(1.0, -1.0, -1.0).asDiagonal();
    EXPECT_TRUE((sequence->calibration().topLeftCorner<3, 3>().isApprox(halfTurn)));
    Properties written;
    algorithm.configuration(&written);
    bool writtenFlip = false;
    EXPECT_TRUE(written.param("flip", writtenFlip) && writtenFlip);

    rotate->click();
    EXPECT_FALSE(flip->isChecked());
    EXPECT_TRUE(sequence->calibration().isApprox(computed));
}

TEST(ToolCalibrationController, RefusedRecordingShowsWhyAndNoResult)
{
    auto still = pivotRecording({3.0, -1.5, -158.0}, {40.0, -30.0, -1300.0}, 0.0, 50, 0.1);
    ToolCalibrationAlgorithm algorithm({still.get()});
    ToolCalibrationController panel(&algorithm);
    panel.init();
    panel.compute();
    EXPECT_TRUE(panel.statusText().contains(QString::fromStdString(algorithm.problem())));
    EXPECT_TRUE(panel.resultText().isEmpty());
}
