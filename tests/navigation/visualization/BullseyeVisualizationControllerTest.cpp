#include "navigation/visualization/BullseyeVisualizationController.h"

#include "host/core/model/SharedImageSet.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlPoint.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"
#include "navigation/visualization/GlToolTargetOverlay.h"
#include "navigation/visualization/ToolVisualizationController.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

// A 60 mm path along +x: with the default factor the ring rides 121 mm up the tool.
const Eigen::Vector3d pathStart(10, 20, 30);
const Eigen::Vector3d pathEnd(70, 20, 30);

class BullseyeVisualizationControllerTest : public testing::Test
{
protected:
    BullseyeVisualizationControllerTest()
    {
        stream.setInstruments({instrument("Needle", Eigen::Matrix4d::Identity())});
        panel->setApplicationController(&application);
        panel->init();
    }

    GlLine* addLine(const std::vector<Eigen::Vector3d>& points)
    {
        auto* line = new GlLine("Planned line");
        line->setPoints(points);
        application.annotations().add(std::make_unique<InteractiveObject>(line, nullptr, true), &volume);
        return line;
    }
    QPushButton* startStop() const { return panel->findChild<QPushButton*>("pushButton_startStop"); }
    GlVolumeView& view3D() { return *application.display().view3D(); }

    LogCapture log;
    ApplicationController application;
    ManualTrackingStream stream;
    SharedImageSet volume{{2, 2, 2}, Eigen::Vector3d::Ones(), std::vector<float>(8, 0.0f)};
    BullseyeVisualizationAlgorithm algorithm{&stream, &volume};
    std::unique_ptr<BullseyeVisualizationController> panel =
        std::make_unique<BullseyeVisualizationController>(&algorithm);
};

TEST_F(BullseyeVisualizationControllerTest, StartNeedsATwoPointLineThenBuildsTheSceneWhichGoesWithThePanel)
{
    GlLine* line = nullptr;
    for (const char* expected :
         {"No line annotation attached to input image", "The line annotation needs two points"}) {
        startStop()->click();
        EXPECT_EQ(log->messages().back(), (LogMessage{4, "BullseyeVisualizationController", expected}));
        EXPECT_FALSE(panel->isRunning());
        EXPECT_EQ(startStop()->text(), "Start");
        EXPECT_TRUE(panel->viewObjects().empty() && panel->groupObjects().empty() && !panel->overlay());
        if (!line)
            line = addLine({pathStart});
    }
    line->addPoint(pathEnd);
    startStop()->click();
    EXPECT_EQ(startStop()->text(), "Stop");
    ASSERT_EQ(panel->viewObjects().size(), 3u) << "bullseye, ring and tip";
    ASSERT_EQ(panel->groupObjects().size(), 2u) << "path and tip";
    EXPECT_EQ(dynamic_cast<GlLine*>(panel->groupObjects()[0])->points()[1],
              pathStart + Eigen::Vector3d(200, 0, 0));
    EXPECT_EQ(view3D().overlays(), std::vector<GlOverlay*>{panel->overlay()});
    EXPECT_EQ(panel->overlay()->anchor(), GlOverlay::Bottom);
    EXPECT_TRUE(view3D().matrix().isApprox(algorithm.createLookAtAlongNeedle(algorithm.viewDistance)));

    panel.reset();
    EXPECT_TRUE(view3D().overlays().empty());
    EXPECT_EQ(view3D().objects(), std::vector<GlObject*>{line});
}

TEST_F(BullseyeVisualizationControllerTest, ToolPoseMovesTipRingBullseyeAndTheFiguresAgainstThePath)
{
    addLine({pathStart, pathEnd});
    startStop()->click();
    panel->toolVisController().onCompute();
    // 3 mm beside the path, advancing along it (the tool's -z is +x).
    const Eigen::Matrix4d needle = pose(Eigen::Vector3d::UnitY(), -90, {40, 23, 30});
    stream.newData.emitSignal(
        std::make_shared<TrackingStreamData>(&stream, std::vector{instrument("Needle", needle)}));
    QCoreApplication::processEvents();

    EXPECT_EQ(dynamic_cast<GlPoint*>(panel->groupObjects()[1])->point(), Eigen::Vector3d(40, 23, 30));
    EXPECT_TRUE(panel->viewObjects()[1]->matrix().isApprox(needle * translation(0, 0, 121)));
    EXPECT_TRUE(
        panel->viewObjects()[0]->matrix().col(3).head<3>().isApprox(pathEnd + Eigen::Vector3d(150, 0, 0)));
    EXPECT_EQ(panel->findChild<QLabel*>("label_readout")->text().toStdString(),
              "Depth 30.0 mm · off path 3.0 mm · angle 0.0° · projected miss 3.0 mm");
    panel->overlay()->render({0, 0, 80, 500});
    std::vector<std::string> texts;
    for (const OverlayText& text : panel->overlay()->recorded().texts())
        texts.push_back(text.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"30.00", "off path 3.0 mm", "angle 0.0°", "miss 3.0 mm"}));
}

TEST_F(BullseyeVisualizationControllerTest, MissingMeshesAreLoggedAndTheRestOfTheSceneWorks)
{
    algorithm.bullseyeMeshPath = "/missing/bullseye.obj";
    algorithm.toolRingMeshPath = ":/missing/ring.obj";
    addLine({pathStart, pathEnd});
    startStop()->click();
    EXPECT_EQ(log->count("Mesh /missing/bullseye.obj not found!") +
                  log->count("Mesh :/missing/ring.obj not found!"),
              2);
    EXPECT_TRUE(panel->isRunning() && panel->overlay());
    EXPECT_EQ(panel->viewObjects().size(), 1u) << "the tip";
    EXPECT_EQ(panel->groupObjects().size(), 2u);
}

}  // namespace
