#include "navigation/visualization/ToolVisualizationController.h"

#include "host/core/geometry/Pose.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "navigation/plugin/NavigationAlgorithmControllerFactory.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const Eigen::Vector3d yellow(1.0, 1.0, 0.0);
const Eigen::Vector3d red(0.898, 0.223, 0.207);
const std::string missingMeshMessage = "Could not load tracking pointer mesh model. Path: ";

class ToolVisualizationControllerTest : public testing::Test
{
protected:
    ToolVisualizationControllerTest()
    {
        stream.setInstruments({instrument("Needle", Eigen::Matrix4d::Identity()),
                               instrument("Reference", Eigen::Matrix4d::Identity())});
        application.display().viewSlice(0)->setViewport({0, 0, 200, 100});
        panel->setApplicationController(&application);
    }

    template <class Widget>
    Widget* widget(const char* objectName)
    {
        auto* found = panel->findChild<Widget*>(objectName);
        EXPECT_TRUE(found) << objectName;
        return found;
    }

    /// Emits one sample of the needle and lets the panel's queued update run.
    void track(const Eigen::Matrix4d& needleToTracker, double quality = 1.0,
               std::vector<TrackingInstrumentFiducialsData::Fiducial> fiducials = {})
    {
        auto sample = std::make_shared<TrackingStreamData>(
            &stream, std::vector{instrument("Needle", needleToTracker, quality)});
        if (!fiducials.empty())
            sample->setComponent(std::make_shared<TrackingInstrumentFiducialsData>(std::move(fiducials)));
        stream.newData.emitSignal(sample);
        QCoreApplication::processEvents();
    }

    GlMesh* toolMesh() const { return dynamic_cast<GlMesh*>(panel->toolObjects().front()->object()); }
    std::vector<Eigen::Matrix4d> sliceViews()
    {
        std::vector<Eigen::Matrix4d> matrices;
        for (int i = 0; i < 3; ++i)
            matrices.push_back(application.display().viewSlice(i)->matrix());
        return matrices;
    }

    LogCapture log;
    ApplicationController application;
    ManualTrackingStream stream;
    ToolVisualizationAlgorithm algorithm{&stream};
    std::unique_ptr<ToolVisualizationController> panel =
        std::make_unique<ToolVisualizationController>(&algorithm);
};

TEST_F(ToolVisualizationControllerTest,
       StartAddsToolMeshAndHiddenDirectionLineStopRemovesThemStartAgainRecreates)
{
    algorithm.useFaceNormals = true;
    panel->init();
    EXPECT_EQ(algorithm.trackingTargetId.value(), "Needle") << "the box chose the first instrument";
    auto* button = widget<QPushButton>("pushButton_startStop");
    for (int round = 0; round < 2; ++round) {
        button->click();
        EXPECT_TRUE(algorithm.running && algorithm.autostart);
        EXPECT_EQ(button->text(), "Stop");
        ASSERT_EQ(application.annotations().getAnnotations(), panel->toolObjects());
        ASSERT_EQ(panel->toolObjects().size(), 2u);
        EXPECT_TRUE(toolMesh()->isVisible());
        EXPECT_EQ(toolMesh()->color(), yellow);
        EXPECT_TRUE(toolMesh()->usesFaceNormals());
        const auto* line = dynamic_cast<const GlLine*>(panel->toolObjects()[1]->object());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->name(), "Direction");
        EXPECT_FALSE(line->isVisible());
        EXPECT_EQ(line->linePattern(), 0xAAAA);
        for (const InteractiveObject* annotation : panel->toolObjects())
            EXPECT_TRUE(application.isIgnoredInHistory(annotation->object()));

        button->click();
        EXPECT_FALSE(algorithm.running);
        EXPECT_EQ(button->text(), "Start");
        EXPECT_TRUE(panel->toolObjects().empty());
        EXPECT_TRUE(application.annotations().getAnnotations().empty());
    }
}

TEST_F(ToolVisualizationControllerTest, ValidPoseMovesToolAndViewsPoseAtThresholdTurnsItRedAndLeavesViews)
{
    algorithm.autostart = true;
    panel->init();
    ASSERT_TRUE(algorithm.running) << "autostart";
    const Eigen::Matrix4d first = pose({0, 1, 1}, 30, {10, 20, 30});
    track(first);
    EXPECT_EQ(toolMesh()->matrix(), first);
    EXPECT_EQ(toolMesh()->color(), yellow);
    EXPECT_TRUE(sliceViews()[0].isApprox(first * Pose::eulerToMat({180, 0, 0}, Eigen::Vector3d::Zero())));

    const auto views = sliceViews();
    const Eigen::Matrix4d second = pose({1, 0, 0}, 50, {-40, 0, 0});
    track(second, algorithm.qualityThreshold);
    EXPECT_EQ(toolMesh()->matrix(), first);
    EXPECT_EQ(toolMesh()->color(), red);
    EXPECT_EQ(sliceViews(), views);

    // Collapsed views are not moved either; "Update Reg." puts the tool where the first one is.
    application.display().viewSlice(0)->setViewport({});
    track(second);
    EXPECT_EQ(toolMesh()->color(), yellow);
    EXPECT_EQ(sliceViews(), views);
    widget<QPushButton>("pushButton_updateRef")->click();
    track(second);
    EXPECT_TRUE(toolMesh()->matrix().isApprox(views[0]));
}

TEST_F(ToolVisualizationControllerTest, SamplesFasterThanTheDisplayGiveOneUpdateWithTheLatestPose)
{
    panel->init();
    panel->onCompute();
    int updates = 0;
    QObject::connect(panel.get(), &ToolVisualizationController::visualizationUpdated, [&] { ++updates; });
    for (int i = 1; i <= 5; ++i)
        stream.newData.emitSignal(std::make_shared<TrackingStreamData>(
            &stream, std::vector{instrument("Needle", pose({0, 0, 1}, 10 * i, {0, 0, 0}))}));
    QCoreApplication::processEvents();
    EXPECT_EQ(updates, 1);
    EXPECT_TRUE(toolMesh()->matrix().isApprox(pose({0, 0, 1}, 50, {0, 0, 0})));
    track(Eigen::Matrix4d::Identity());
    EXPECT_EQ(updates, 2) << "the next sample is shown again";
}

TEST_F(ToolVisualizationControllerTest, FiducialsShowGreyWithoutInstrumentAndOneColourPerInstrument)
{
    panel->init();
    panel->onCompute();
    widget<QCheckBox>("checkBox_rawFiducials")->setChecked(true);
    EXPECT_TRUE(algorithm.showRawFiducials);
    const std::uint64_t needle = TrackerID("Needle").idHash();
    const std::uint64_t reference = TrackerID("Reference").idHash();
    track(Eigen::Matrix4d::Identity(), 1.0,
          {{{1, 0, 0}, reference},
           {{2, 0, 0}, 0},
           {{3, 0, 0}, needle},
           {{4, 0, 0}, reference},
           {{5, 0, 0}, 0}});
    const std::vector<GlObject*> spheres = panel->fiducialSpheres();
    ASSERT_EQ(spheres.size(), 5u);
    for (GlObject* sphere : spheres)
        EXPECT_TRUE(sphere->isVisible());
    EXPECT_EQ(Eigen::Vector3d(spheres[2]->matrix().col(3).head(3)), Eigen::Vector3d(3, 0, 0));
    EXPECT_EQ(spheres[1]->color(), Eigen::Vector3d::Constant(0.8));
    EXPECT_EQ(spheres[4]->color(), Eigen::Vector3d::Constant(0.8));
    EXPECT_EQ(spheres[0]->color(), spheres[3]->color());
    EXPECT_NE(spheres[0]->color(), spheres[2]->color());
    EXPECT_NE(spheres[0]->color(), spheres[1]->color());

    track(Eigen::Matrix4d::Identity(), 1.0, {{{1, 0, 0}, needle}});
    EXPECT_EQ(panel->fiducialSpheres().size(), 5u) << "the pool never shrinks";
    EXPECT_TRUE(spheres[0]->isVisible());
    EXPECT_FALSE(spheres[1]->isVisible());

    panel->onCompute();
    EXPECT_FALSE(spheres[0]->isVisible()) << "stopped, no fiducial passes for a live one";
    panel->onCompute();
    track(Eigen::Matrix4d::Identity(), 1.0, {{{1, 0, 0}, needle}});
    widget<QCheckBox>("checkBox_rawFiducials")->setChecked(false);
    EXPECT_FALSE(spheres[0]->isVisible());

    EXPECT_TRUE(application.display().viewSlice(2)->contains(spheres[0]));
    panel.reset();
    EXPECT_TRUE(application.annotations().getAnnotations().empty());
    EXPECT_FALSE(application.display().viewSlice(2)->contains(spheres[0]));
}

TEST_F(ToolVisualizationControllerTest, CheckBoxesMirrorParametersAndEnableTheOptionsThatDependOnThem)
{
    algorithm.linkWithRot = false;
    panel->init();
    auto* link = widget<QCheckBox>("checkBox_linkViews");
    auto* rotations = widget<QCheckBox>("checkBox_includeRotations");
    auto* snap = widget<QCheckBox>("checkBox_snapToClosestAxis");
    auto* options = widget<QGroupBox>("groupBox_mprOptions");
    EXPECT_TRUE(link->isChecked());
    EXPECT_FALSE(rotations->isChecked());
    EXPECT_FALSE(snap->isEnabled());

    rotations->setChecked(true);
    EXPECT_TRUE(algorithm.linkWithRot);
    EXPECT_TRUE(snap->isEnabled());
    snap->setChecked(true);
    EXPECT_TRUE(algorithm.snapToClosestAxis);

    link->setChecked(false);
    EXPECT_FALSE(algorithm.linkMPRs);
    EXPECT_FALSE(options->isEnabled());
    EXPECT_FALSE(snap->isEnabledTo(panel.get()));
}

TEST_F(ToolVisualizationControllerTest, UnloadableMeshLeavesTheDirectionLineAndIsReportedOncePerPath)
{
    algorithm.mesh = "/nonexistent/pointer.obj";
    panel->init();
    for (int start = 0; start < 3; ++start) {
        panel->onCompute();
        ASSERT_EQ(panel->toolObjects().size(), 1u);
        EXPECT_EQ(panel->toolObjects()[0]->object()->name(), "Direction");
        panel->onCompute();
    }
    EXPECT_EQ(log->count(missingMeshMessage + "/nonexistent/pointer.obj"), 1);

    algorithm.mesh = "/nonexistent/other.obj";
    panel->onCompute();
    EXPECT_EQ(log->count(missingMeshMessage + "/nonexistent/other.obj"), 1);
}

TEST(ToolVisualizationControllerFactory, HandsOutThePanelForTheAlgorithm)
{
    ManualTrackingStream stream;
    ToolVisualizationAlgorithm algorithm(&stream);
    const std::unique_ptr<AlgorithmController> controller(
        NavigationAlgorithmControllerFactory().create(&algorithm));
    EXPECT_TRUE(dynamic_cast<ToolVisualizationController*>(controller.get()));
}

}  // namespace
