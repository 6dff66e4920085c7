#include "RenderTestScene.h"
#include "tests/support/Poses.h"

#include "host/core/geometry/MeshCreator.h"
#include "host/core/geometry/Spline.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlSpline.h"
#include "host/gl/GlVolumeView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

// The camera stands 100 mm in front of the origin with VTK's default 30° view angle, so the frame's half
// height covers 100 · tan(15°) mm and a point at x mm lands this many pixels right of the centre.
int pixelsRightOfCentre(double xMillimetres)
{
    return static_cast<int>(
        std::lround(xMillimetres / (100.0 * std::tan(15.0 * M_PI / 180.0)) * frameSize / 2));
}

class VolumeViewRendering : public ::testing::Test
{
protected:
    VolumeViewRendering()
    {
        Camera camera;
        camera.setLookAt({0, 0, 100}, {0, 0, 0}, {0, 1, 0});
        scene.view.setCamera(camera);
        sphere.setColor({1.0, 0.0, 0.0});
        sphere.setMaterial(
            {Eigen::Vector3d::Constant(1.0), Eigen::Vector3d::Zero(), Eigen::Vector3d::Zero(), 0.0});
        sphere.setMatrix(translation(10, 0, 0));
        scene.view.addObject(&sphere);
    }

    QColor at(const QImage& image, double xMillimetres)
    {
        return pixelAt(image, frameSize / 2 + pixelsRightOfCentre(xMillimetres), frameSize / 2);
    }

    RenderedView<GlVolumeView> scene;
    GlMesh sphere{std::make_shared<Mesh>(MeshCreator::createSphere(4.0))};
};

TEST_F(VolumeViewRendering, MeshAppearsWhereItsPosePutsItInItsColourAndFollowsTheModel)
{
    QImage frame = scene.grab();
    EXPECT_TRUE(isNear(at(frame, 10), 255, 0, 0)) << at(frame, 10).name().toStdString();
    EXPECT_TRUE(isBlack(at(frame, -10)));
    EXPECT_TRUE(isBlack(at(frame, 0)));

    sphere.setMatrix(translation(-10, 0, 0));
    sphere.setColor({0.0, 1.0, 0.0});
    frame = scene.grab();
    EXPECT_TRUE(isNear(at(frame, -10), 0, 255, 0));
    EXPECT_TRUE(isBlack(at(frame, 10)));

    sphere.setVisible(false);
    EXPECT_TRUE(isBlack(at(scene.grab(), -10)));
}

TEST_F(VolumeViewRendering, RemovedOrDestroyedObjectsLeaveTheFrame)
{
    scene.grab();
    scene.view.removeObject(&sphere);
    EXPECT_TRUE(isBlack(at(scene.grab(), 10)));

    auto line = std::make_unique<GlLine>();
    line->setPoints({{-5, 0, 0}, {5, 0, 0}});
    line->setLineWidth(6.0);
    scene.view.addObject(line.get());
    EXPECT_FALSE(isBlack(at(scene.grab(), 0)));
    // The renderer must drop its actor before the next frame, not read the dead object.
    line.reset();
    EXPECT_TRUE(isBlack(at(scene.grab(), 0)));
}

TEST_F(VolumeViewRendering, ThickLinesAndSplinesAreDrawnThroughTheirPoints)
{
    scene.view.removeObject(&sphere);
    GlLine line;
    line.setPoints({{-20, 0, 0}, {20, 0, 0}});
    line.setLineWidth(6.0);
    line.setColor({0.0, 0.0, 1.0});
    line.setShowDistanceLabel(false);
    scene.view.addObject(&line);
    QImage frame = scene.grab();
    EXPECT_TRUE(isNear(at(frame, 15), 0, 0, 255));
    EXPECT_TRUE(isBlack(pixelAt(frame, frameSize / 2, frameSize / 2 + 20)));

    // Halfway between two control points the curve bulges above the polyline through them.
    scene.view.removeObject(&line);
    GlSpline spline;
    spline.setPoints({{-20, 0, 0}, {0, 20, 0}, {20, 0, 0}});
    spline.setLineWidth(4.0);
    spline.setShowDistanceLabel(false);
    scene.view.addObject(&spline);
    const Eigen::Vector3d onCurve = Spline(spline.points()).evaluate(1.5);
    const double chordY = 20.0 * (1.0 - onCurve.x() / 20.0);
    const int x = frameSize / 2 + pixelsRightOfCentre(onCurve.x());
    const int curveRow = frameSize / 2 + pixelsRightOfCentre(onCurve.y());
    const int chordRow = frameSize / 2 + pixelsRightOfCentre(chordY);
    ASSERT_GT(curveRow - chordRow, 6);
    frame = scene.grab();
    EXPECT_FALSE(isBlack(pixelAt(frame, x, curveRow)));
    EXPECT_TRUE(isBlack(pixelAt(frame, x, chordRow)));
}

TEST_F(VolumeViewRendering, LinesShowTheirLengthAboveTheirMiddleUnlessTold)
{
    scene.view.removeObject(&sphere);
    GlLine line;
    line.setPoints({{-20, -15, 0}, {20, -15, 0}});
    scene.view.addObject(&line);
    const int lineRow = frameSize / 2 + pixelsRightOfCentre(-15);
    const auto litAboveMiddle = [&](const QImage& frame) {
        return litPixels(frame, frameSize / 2 - 30, lineRow + 8, frameSize / 2 + 30, lineRow + 30);
    };
    EXPECT_GT(litAboveMiddle(scene.grab()), 15);
    line.setShowDistanceLabel(false);
    EXPECT_EQ(litAboveMiddle(scene.grab()), 0);
}

}  // namespace
}  // namespace Tesselon
