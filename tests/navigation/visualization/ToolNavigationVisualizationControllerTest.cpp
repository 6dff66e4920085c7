#include "navigation/visualization/ToolNavigationVisualizationController.h"

#include "host/core/config/Properties.h"
#include "host/gl/ApplicationController.h"
#include "navigation/visualization/ToolNavigationDistanceWidget.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const std::string noSplineMessage =
    "No splines could be found on the annotation model or the name is invalid (empty)";

class ToolNavigationVisualizationControllerTest : public testing::Test
{
protected:
    ToolNavigationVisualizationControllerTest()
    {
        stream.setInstruments({instrument("Needle", Eigen::Matrix4d::Identity())});
        algorithm.toolVisualization().trackingTargetId = "Needle";
        algorithm.toolVisualization().running = true;
        panel->setApplicationController(&application);
    }

    GlSpline* addSpline(const std::string& name, std::vector<Eigen::Vector3d> points)
    {
        auto spline = std::make_unique<GlSpline>(name);
        spline->setPoints(points);
        GlSpline* added = spline.get();
        application.annotations().add(std::make_unique<InteractiveObject>(spline.release(), nullptr, true));
        return added;
    }

    /// The needle's tip at `tip`, through the tool panel's queued update.
    void track(const Eigen::Vector3d& tip)
    {
        stream.emitInstruments({instrument("Needle", translation(tip.x(), tip.y(), tip.z()))});
        QCoreApplication::processEvents();
    }

    /// The distance gauge drawn on black, 200 × 100 pixels.
    QImage gauge()
    {
        // One of the panel's own would take the size its layout gives it.
        auto* widget = new ToolNavigationDistanceWidget(panel.get());
        widget->resize(200, 100);
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::black);
        widget->render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    }

    LogCapture log;
    ApplicationController application;
    ManualTrackingStream stream;
    ToolNavigationVisualizationAlgorithm algorithm{&stream};
    std::unique_ptr<ToolNavigationVisualizationController> panel =
        std::make_unique<ToolNavigationVisualizationController>(&algorithm);
};

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 50 && qBlue(pixel) < 50;
}

bool anyRed(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isRed(image.pixel(x, y)))
                return true;
    return false;
}

TEST_F(ToolNavigationVisualizationControllerTest, GaugeDotsRingsOnTheStraightLineScaleAndMarksTheTool)
{
    addSpline("Plan", {{0, 0, 0}, {0, 0, 100}});
    panel->init();
    track({3, 0, 52});
    const QImage image = gauge();
    // Start (10, 75), end (189, 74): 1.79 pixels per mm; rings every 10 mm from the start.
    const double scale = std::hypot(179.0, 1.0) / 100.0;
    for (int ring = 0; ring < 10; ++ring) {
        const int x = 10 + static_cast<int>(ring * 10 * scale);
        EXPECT_EQ(image.pixel(x, 77), qRgb(255, 255, 255)) << "dot of ring " << ring << " at " << x;
        EXPECT_EQ(image.pixel(x + 9, 77), qRgb(0, 0, 0)) << "between rings " << ring << " and " << ring + 1;
    }
    EXPECT_EQ(image.pixel(189, 70), qRgb(255, 255, 255)) << "the target's dot";
    const int toolX = 10 + static_cast<int>(52 * scale);
    EXPECT_TRUE(isRed(image.pixel(toolX, 66)));
    EXPECT_FALSE(isRed(image.pixel(toolX + 4, 66)));
}

TEST_F(ToolNavigationVisualizationControllerTest, PathWhoseEndsCoincideGetsNoDotsAndNoToolMark)
{
    addSpline("Loop", {{0, 0, 0}, {0, 50, 0}, {0, 0, 0}});
    panel->init();
    track({0, 20, 0});
    const QImage image = gauge();
    EXPECT_FALSE(anyRed(image));
    EXPECT_EQ(image.pixel(189, 70), qRgb(255, 255, 255)) << "the target's dot is drawn all the same";
}

TEST_F(ToolNavigationVisualizationControllerTest, SplineListFollowsTheAnnotationsAndKeepsTheSelection)
{
    panel->init();
    EXPECT_EQ(log->count(noSplineMessage), 1);
    EXPECT_TRUE(panel->circlesPos().empty());

    GlSpline* first = addSpline("A", {{0, 0, 0}, {0, 0, 100}});
    panel->findChild<QPushButton*>("pushButton_selectSpline")->click();
    EXPECT_EQ(panel->circlesPos().size(), 10u);
    addSpline("B", {{0, 0, 0}, {100, 0, 0}});
    auto* splines = panel->findChild<QComboBox*>("comboBox_splines");
    EXPECT_EQ(splines->currentText(), "A");

    for (InteractiveObject* annotation : application.annotations().getAnnotations())
        if (annotation->object() == first)
            application.annotations().remove(annotation, true);
    EXPECT_EQ(log->count("The currently selected spline was removed, taking the next one available"), 1);
    EXPECT_EQ(splines->currentText(), "B");
    EXPECT_TRUE(panel->circlesPos()[5].isApprox(Eigen::Vector3d(50, 0, 0)));
}

TEST_F(ToolNavigationVisualizationControllerTest, SettingsRoundTripAndTheFunnelKeepsTheTubeWithoutGrowth)
{
    addSpline("Plan", {{0, 0, 0}, {0, 0, 100}});
    panel->init();
    Properties saved;
    saved.setParam("targetRadius", 12.5);
    saved.setParam("linkTo", 3);
    saved.setParam("pathType", 1);
    saved.setParam("pathGrowth", 0.0);
    panel->configure(&saved);
    Properties written;
    panel->configuration(&written);
    double radius = 0.0;
    int link = 0;
    ASSERT_TRUE(written.param("targetRadius", radius) && written.param("linkTo", link));
    EXPECT_EQ(radius, 12.5);
    EXPECT_EQ(panel->findChild<QComboBox*>("comboBox_link")->currentText(), "Rings");
    EXPECT_EQ(panel->scene()["rings"].toList().front().toMap()["radius"].toDouble(), 1.5 * 12.5);
}

}  // namespace
