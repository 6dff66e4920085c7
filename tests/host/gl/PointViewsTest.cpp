#include "host/core/model/PointsOnImageManipulator.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/PointPickInteraction.h"
#include "host/gl/PointViews.h"

#include <gtest/gtest.h>

using namespace Tesselon;

namespace {

/// Points kept in a frame 100 mm above the world's, as tracked points are kept in the tracker's.
class RaisedManipulator : public PointsOnImageManipulator
{
public:
    using PointsOnImageManipulator::PointsOnImageManipulator;
    Eigen::Matrix4d pointsToWorld() const override
    {
        Eigen::Matrix4d raised = Eigen::Matrix4d::Identity();
        raised(2, 3) = 100.0;
        return raised;
    }
};

class PointViewsTest : public testing::Test
{
protected:
    PointViewsTest()
    {
        m_display.centreSlicesAt(Eigen::Vector3d(0, 0, 100));
        m_manipulator.setPointColor(Eigen::Vector3d(1, 0, 0));
    }

    const GlSliceView& axial() { return *m_display.viewSlice(GlSliceView::Axial); }

    DisplayWidgetMulti m_display;
    PointsOnImage m_points;
    RaisedManipulator m_manipulator{m_points, false};
};

}  // namespace

TEST_F(PointViewsTest, MarkersFollowThePointsInTheirFrameAndColourWithTheSelectionDrawnLarger)
{
    PointViews views(m_manipulator, m_display);
    m_points.addPoints({{0, 0, 0}, {10, 0, 0}});
    ASSERT_EQ(views.markers().size(), 2u);
    EXPECT_TRUE(views.markers()[1]->point().isApprox(Eigen::Vector3d(10, 0, 100)));
    EXPECT_EQ(views.markers()[0]->color(), Eigen::Vector3d(1, 0, 0));
    EXPECT_EQ(m_display.viewSlice(0)->objects().size(), 2u);

    views.setSelected(1);
    EXPECT_GT(views.markers()[1]->pointSize(), views.markers()[0]->pointSize());
    m_points.remove(0, 1);
    ASSERT_EQ(views.markers().size(), 1u);
    EXPECT_TRUE(views.markers()[0]->point().isApprox(Eigen::Vector3d(10, 0, 100)));
    {
        PointViews gone(m_manipulator, m_display);
    }
    EXPECT_EQ(m_display.viewSlice(0)->objects().size(), 1u);
    EXPECT_EQ(m_display.interactions(), std::vector<ViewInteraction*>{&views});
}

TEST_F(PointViewsTest, APressGrabsTheNearestMarkerOnThePlaneAndDraggingMovesItsPoint)
{
    PointViews views(m_manipulator, m_display);
    m_points.addPoints({{0, 0, 0}, {4, 0, 0}, {1, 0, 30}});
    // Within the tolerance of two markers: the nearer one; the third lies 30 mm off the plane.
    EXPECT_TRUE(views.press(axial(), Eigen::Vector3d(3, 0, 100), 5.0));
    views.drag(Eigen::Vector3d(4, 8, 100));
    views.release();
    EXPECT_TRUE(m_points.allPoints()[1].isApprox(Eigen::Vector3d(4, 8, 0)));
    EXPECT_TRUE(m_points.allPoints()[0].isApprox(Eigen::Vector3d(0, 0, 0)));
    views.drag(Eigen::Vector3d(50, 50, 100));  // released: nothing follows
    EXPECT_TRUE(m_points.allPoints()[1].isApprox(Eigen::Vector3d(4, 8, 0)));
    EXPECT_FALSE(views.press(axial(), Eigen::Vector3d(1, 0, 100), 0.5));
    EXPECT_FALSE(views.press(axial(), Eigen::Vector3d(1, 0, 130), 5.0));
}

TEST_F(PointViewsTest, AClickPlacesAPointOnlyWhenOneWasAskedForAndAPickIsTakenOnceArmed)
{
    PointViews views(m_manipulator, m_display);
    EXPECT_FALSE(views.press(axial(), Eigen::Vector3d(20, 20, 100), 2.0));
    m_manipulator.startPointCreation();
    EXPECT_TRUE(views.press(axial(), Eigen::Vector3d(20, 20, 100), 2.0));
    ASSERT_EQ(m_points.size(), 1);
    EXPECT_FALSE(m_manipulator.isCreatingPoint());

    std::vector<Eigen::Vector3d> picked;
    PointPickInteraction pick(m_display, [&](const Eigen::Vector3d& world) { picked.push_back(world); });
    EXPECT_EQ(m_display.interactions().front(), &pick);
    EXPECT_FALSE(pick.press(axial(), Eigen::Vector3d(1, 2, 3), 1.0));
    pick.arm();
    EXPECT_TRUE(pick.press(axial(), Eigen::Vector3d(1, 2, 3), 1.0));
    EXPECT_FALSE(pick.press(axial(), Eigen::Vector3d(1, 2, 3), 1.0));
    EXPECT_EQ(picked, std::vector<Eigen::Vector3d>{Eigen::Vector3d(1, 2, 3)});
}
