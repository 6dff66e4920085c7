#include "host/core/geometry/Pose.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "tests/host/gl/SignalSpy.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

Eigen::Vector3d column(const Eigen::Matrix4d& pose, int index)
{
    return pose.block<3, 1>(0, index);
}

/// Whether the camera pose looks from `eye` towards `centre` with a proper rotation.
void expectLooksAt(const Camera& camera, const Eigen::Vector3d& eye, const Eigen::Vector3d& centre)
{
    const Eigen::Matrix4d pose = camera.matrix();
    EXPECT_TRUE(Pose::isRigid(pose, 1e-9));
    EXPECT_TRUE(column(pose, 3).isApprox(eye));
    EXPECT_TRUE((-column(pose, 2)).isApprox((centre - eye).normalized(), 1e-12));
}

}  // namespace

TEST(GlView, TracksObjectsOwnsOverlaysUntilItHandsThemBackAndIgnoresANonFinitePose)
{
    GlView view;
    auto circle = std::make_unique<GlCircle>();
    GlLine line;
    auto survivor = std::make_unique<GlLine>();
    view.addObject(circle.get());
    view.addObject(&line);
    view.addObject(&line);
    circle.reset();
    EXPECT_EQ(view.objects(), std::vector<GlObject*>{&line});
    view.removeObject(&line);
    EXPECT_TRUE(view.objects().empty());
    EXPECT_EQ(line.destroyed.connectionCount(), 0u);
    {
        GlView shortLived;
        shortLived.addObject(survivor.get());
    }
    EXPECT_EQ(survivor->destroyed.connectionCount(), 0u);

    GlView overlaid;
    GlOverlay* first = overlaid.addOverlay(std::make_unique<GlOverlay>(10, 10, 5, 5));
    GlOverlay* front = overlaid.addOverlay(std::make_unique<GlOverlay>(10, 10, 5, 5), 0);
    EXPECT_EQ(overlaid.overlays(), (std::vector<GlOverlay*>{front, first}));
    std::unique_ptr<GlOverlay> back = overlaid.removeOverlay(first);
    EXPECT_EQ(back.get(), first);
    EXPECT_EQ(overlaid.overlays(), std::vector<GlOverlay*>{front});
    EXPECT_EQ(overlaid.removeOverlay(first), nullptr);

    LogCapture log;
    GlView posed;
    SignalSpy spy(posed.changed);
    Eigen::Matrix4d broken = Eigen::Matrix4d::Identity();
    broken(1, 3) = std::numeric_limits<double>::infinity();
    posed.setMatrix(broken);
    EXPECT_EQ(posed.matrix(), Eigen::Matrix4d::Identity());
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(log->count("Ignoring a view pose with non-finite entries."), 1);
}

TEST(ViewGroup, AddsAndRemovesAnObjectInEveryViewSliceViewsHaveAnatomicalNormals)
{
    GlView a;
    GlView b;
    ViewGroup group;
    group.addView(&a);
    group.addView(&b);
    group.addView(&b);
    GlLine line;
    group.addObject(&line);
    EXPECT_TRUE(a.contains(&line));
    EXPECT_TRUE(b.contains(&line));
    EXPECT_EQ(b.objects().size(), 1u);
    group.removeObject(&line);
    EXPECT_FALSE(a.contains(&line));
    EXPECT_FALSE(b.contains(&line));

    const std::pair<GlSliceView::AnatomicalPlane, Eigen::Vector3d> planes[] = {
        {GlSliceView::Axial, Eigen::Vector3d::UnitZ()},
        {GlSliceView::Coronal, Eigen::Vector3d::UnitY()},
        {GlSliceView::Sagittal, Eigen::Vector3d::UnitX()}};
    for (const auto& [plane, normal] : planes) {
        const GlSliceView view(plane);
        EXPECT_TRUE(Pose::isRigid(view.matrix(), 0.0)) << plane;
        EXPECT_EQ(view.normal(), normal) << plane;
    }
}

TEST(DisplayWidgetMulti, GroupShowsAnObjectInAllViewsOutOfRangeIndicesAreLoggedAndGiveNull)
{
    DisplayWidgetMulti display;
    GlMesh sphere;
    display.viewGroup(0)->addObject(&sphere);
    for (int i = 0; i < DisplayWidgetMulti::sliceViewCount; ++i)
        EXPECT_TRUE(display.viewSlice(i)->contains(&sphere)) << i;
    EXPECT_TRUE(display.view3D(0)->contains(&sphere));
    EXPECT_EQ(display.viewSlice(2)->plane(), GlSliceView::Sagittal);

    LogCapture log;
    EXPECT_EQ(display.viewSlice(3), nullptr);
    EXPECT_EQ(display.viewSlice(-1), nullptr);
    EXPECT_EQ(display.view3D(1), nullptr);
    EXPECT_EQ(display.viewGroup(1), nullptr);
    EXPECT_EQ(log->count("There is no slice view with index 3; valid indices are 0 to 2."), 1);
    EXPECT_EQ(log->messages().size(), 4u);
}

TEST(Camera, LookAtKeepsTheUsableUpComponentAndAlwaysGivesAValidPose)
{
    const Eigen::Vector3d eye(0, 0, 100);
    for (const Eigen::Vector3d& up :
         {Eigen::Vector3d(0, 0, 1), Eigen::Vector3d(0, 0, -2), Eigen::Vector3d(0, 0, 0)}) {
        Camera camera;
        camera.setLookAt(eye, Eigen::Vector3d::Zero(), up);
        expectLooksAt(camera, eye, Eigen::Vector3d::Zero());
        EXPECT_NEAR(camera.up().dot(camera.viewDirection()), 0.0, 1e-12);
    }
    Camera camera;
    camera.setLookAt(Eigen::Vector3d(10, 0, 0), Eigen::Vector3d::Zero(), Eigen::Vector3d(1, 0, 1));
    expectLooksAt(camera, Eigen::Vector3d(10, 0, 0), Eigen::Vector3d::Zero());
    EXPECT_TRUE(camera.up().isApprox(Eigen::Vector3d(0, 0, 1)));

    LogCapture log;
    const Camera before = camera;
    camera.setLookAt(Eigen::Vector3d::Ones(), Eigen::Vector3d::Ones(), Eigen::Vector3d::UnitY());
    EXPECT_EQ(camera, before);
    EXPECT_EQ(log->messages().size(), 1u);
}

TEST(GlVolumeView, MatrixAndCameraStayInStepAndRejectPosesThatAreNotRigid)
{
    GlVolumeView view;
    Camera camera;
    camera.setLookAt(Eigen::Vector3d(0, -50, 0), Eigen::Vector3d(0, 0, 0), Eigen::Vector3d(0, 0, 1));
    view.setCamera(camera);
    EXPECT_TRUE(view.matrix().isApprox(camera.matrix()));

    const Eigen::Matrix4d pose = Pose::eulerToMat(Eigen::Vector3d(30, 0, 90), Eigen::Vector3d(1, 2, 3));
    view.setMatrix(pose);
    EXPECT_TRUE(view.camera().matrix().isApprox(pose, 1e-12));
    EXPECT_DOUBLE_EQ(view.camera().focalDistance(), 50.0);

    LogCapture log;
    const Eigen::Matrix4d before = view.matrix();
    view.setMatrix(2.0 * Eigen::Matrix4d::Identity());
    EXPECT_EQ(view.matrix(), before);
    EXPECT_EQ(log->count("Ignoring a camera pose that is not a rigid transform."), 1);
}
