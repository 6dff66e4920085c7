#include "host/gl/GlArrow.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlGrid.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSpline.h"
#include "tests/host/gl/SignalSpy.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Poses.h"

#include <gtest/gtest.h>

#include <limits>
#include <numbers>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(GlObject, NotifiesOncePerRealChangeAndNotForRepeatedValues)
{
    GlLine line;
    SignalSpy spy(line.changed);
    line.setMatrix(translation(1, 2, 3));
    line.setMatrix(translation(1, 2, 3));
    line.setVisible(false);
    line.setVisible(false);
    line.setColor(Eigen::Vector3d(1, 0, 0));
    line.setColor(Eigen::Vector3d(1, 0, 0), 1.0);  // opacity was already 1
    line.setOpacity(0.5);
    line.setOpacity(0.5);
    line.setName("Direction");
    line.setName("Direction");
    line.setPoints({Eigen::Vector3d::Zero(), Eigen::Vector3d(0, 0, -100)});
    line.setPoints({Eigen::Vector3d::Zero(), Eigen::Vector3d(0, 0, -100)});
    line.setLinePattern(0xAAAA, 2.0);
    line.setLinePattern(0xAAAA, 2.0);
    EXPECT_EQ(spy.count(), 7);
}

TEST(GlObject, ColourAndOpacityTogetherNotifyOnceClampedIntoUnitRange)
{
    GlCircle circle;
    SignalSpy spy(circle.changed);
    circle.setColor(Eigen::Vector3d(2, -1, 0.5), 3.0);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(circle.color(), Eigen::Vector3d(1, 0, 0.5));
    EXPECT_EQ(circle.opacity(), 1.0);
    circle.setColor(Eigen::Vector3d(0, 1, 1), 0.5);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(circle.opacity(), 0.5);
}

TEST(GlObject, RejectsNonFiniteStateWithoutNotificationAndAnnouncesItsDestructionWithItsAddress)
{
    LogCapture log;
    GlPoint point;
    point.setMatrix(translation(1, 0, 0));
    SignalSpy spy(point.changed);
    Eigen::Matrix4d broken = translation(1, 0, 0);
    broken(0, 0) = notANumber;
    point.setMatrix(broken);
    point.setColor(Eigen::Vector3d(notANumber, 0, 0));
    point.setOpacity(notANumber);
    point.setLineWidth(-1.0);
    point.setPointSize(notANumber);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(point.matrix(), translation(1, 0, 0));
    EXPECT_EQ(point.color(), Eigen::Vector3d::Ones());
    EXPECT_EQ(log->messages().size(), 5u);

    auto spline = std::make_unique<GlSpline>();
    GlObject* address = spline.get();
    SignalSpy destructions(spline->destroyed);
    spline.reset();
    ASSERT_EQ(destructions.count(), 1);
    EXPECT_EQ(std::get<0>(destructions.calls()[0]), address);
}

TEST(GlPointBasedAnnotation, BadPointsAreLoggedAndChangeNothingLinesMeasureCirclesStayOnTheRadius)
{
    LogCapture log;
    GlLine line;
    line.setPoints({Eigen::Vector3d(1, 2, 3)});
    SignalSpy spy(line.changed);
    line.setPoints({Eigen::Vector3d::Zero(), Eigen::Vector3d(notANumber, 0, 0)});
    line.addPoint(Eigen::Vector3d(0, notANumber, 0));
    line.setPoint(1, Eigen::Vector3d::Ones());
    line.setPoint(-1, Eigen::Vector3d::Ones());
    line.removePoint(5);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(line.points(), std::vector<Eigen::Vector3d>{Eigen::Vector3d(1, 2, 3)});
    EXPECT_EQ(log->count("Ignoring point index 1 of an annotation with 1 points."), 1);
    EXPECT_EQ(log->messages().size(), 5u);

    GlCircle circle;
    circle.setCenter(Eigen::Vector3d(10, 0, 0));
    circle.setRadius(15.0);
    circle.setAxes(Eigen::Vector3d(0, 2, 0), Eigen::Vector3d(0, 1, 1));
    EXPECT_TRUE(circle.normal().isApprox(Eigen::Vector3d(1, 0, 0)));
    for (double angle = 0.0; angle < 2 * std::numbers::pi; angle += 0.3) {
        const Eigen::Vector3d offset = circle.pointAt(angle) - circle.center();
        EXPECT_NEAR(offset.norm(), 15.0, 1e-12);
        EXPECT_NEAR(offset.dot(circle.normal()), 0.0, 1e-12);
    }

    GlLine polyline;
    polyline.setPoints({Eigen::Vector3d::Zero(), Eigen::Vector3d(3, 4, 0), Eigen::Vector3d(3, 4, 10)});
    EXPECT_DOUBLE_EQ(polyline.length(), 15.0);
}

TEST(GlShapes, KeepDefinedStateForInvalidAxesSizesModesMaterialsAndEnds)
{
    LogCapture log;
    GlCircle circle;
    circle.setRadius(2.0);
    circle.setRadius(-1.0);
    circle.setRadius(std::numeric_limits<double>::infinity());
    EXPECT_EQ(circle.radius(), 2.0);

    GlMesh mesh;
    mesh.setRenderMode(GlMesh::Wireframe);
    mesh.setRenderMode(3);
    mesh.setRenderMode(-1);
    EXPECT_EQ(mesh.renderMode(), GlMesh::Wireframe);
    GlMesh::Material material;
    material.shininess = notANumber;
    mesh.setMaterial(material);
    mesh.setBackMaterial(material);
    EXPECT_EQ(mesh.material(), GlMesh::Material());
    EXPECT_FALSE(mesh.backMaterial());

    GlArrow arrow(Eigen::Vector3d::Zero(), Eigen::Vector3d(0, 0, 5));
    arrow.setEnds(Eigen::Vector3d(notANumber, 0, 0), Eigen::Vector3d::Ones());
    EXPECT_EQ(arrow.start(), Eigen::Vector3d::Zero());
    EXPECT_EQ(arrow.end(), Eigen::Vector3d(0, 0, 5));

    const GlGrid grid(-5.0, notANumber);
    EXPECT_EQ(grid.extent(), 100.0);
    EXPECT_EQ(grid.cellSize(), 10.0);
    EXPECT_EQ(grid.lineCount(), 11);
    EXPECT_EQ(GlGrid(1e300, 1e-300).lineCount(), 10001);

    GlCircle plane;
    plane.setAxes(Eigen::Vector3d(0, 1, 0), Eigen::Vector3d(0, 0, 1));
    SignalSpy axesSpy(plane.changed);
    plane.setAxes(Eigen::Vector3d(1, 0, 0), Eigen::Vector3d(-3, 0, 0));
    plane.setAxes(Eigen::Vector3d(1, 0, 0), Eigen::Vector3d(1, 1e-9, 0));
    plane.setAxes(Eigen::Vector3d::Zero(), Eigen::Vector3d(0, 1, 0));
    plane.setAxes(Eigen::Vector3d(notANumber, 0, 0), Eigen::Vector3d(0, 1, 0));
    EXPECT_EQ(axesSpy.count(), 0);
    EXPECT_EQ(plane.axisU(), Eigen::Vector3d(0, 1, 0));
    EXPECT_EQ(plane.axisV(), Eigen::Vector3d(0, 0, 1));
    EXPECT_EQ(
        log->count("Ignoring circle axes that are non-finite, zero or parallel; keeping the old plane."), 4);
}
