#include "RenderTestScene.h"
#include "tests/support/Poses.h"

#include "host/core/geometry/MeshCreator.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSliceView.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

// Half the frame height in millimetres: 4 pixels per millimetre.
constexpr double halfHeight = 25.0;
constexpr double pixelsPerMillimetre = frameSize / (2.0 * halfHeight);

class SliceViewRendering : public ::testing::TestWithParam<GlSliceView::AnatomicalPlane>
{
protected:
    SliceViewRendering()
    {
        scene.renderer.setVolume(&volume);
        scene.renderer.setSliceViewHalfHeight(halfHeight);
    }

    /// Puts the plane through the block's centre (30, 30, 10) and the frame's centre at the volume's
    /// centre within the plane.
    void centreOnBlock()
    {
        Eigen::Matrix4d planeToWorld = scene.view.matrix();
        const Eigen::Vector3d normal = planeToWorld.block<3, 1>(0, 2);
        const Eigen::Vector3d volumeCentre(20, 20, 20);
        const Eigen::Vector3d blockCentre(30, 30, 10);
        planeToWorld.block<3, 1>(0, 3) = volumeCentre + normal.dot(blockCentre - volumeCentre) * normal;
        scene.view.setMatrix(planeToWorld);
    }

    /// The pixel where the view shows a world point of its plane.
    QColor shownAt(const QImage& frame, const Eigen::Vector3d& point)
    {
        const Eigen::Matrix4d& planeToWorld = scene.view.matrix();
        const Eigen::Vector3d offset = point - planeToWorld.block<3, 1>(0, 3);
        const double x = frameSize / 2.0 + offset.dot(planeToWorld.block<3, 1>(0, 0)) * pixelsPerMillimetre;
        const double y = frameSize / 2.0 + offset.dot(planeToWorld.block<3, 1>(0, 1)) * pixelsPerMillimetre;
        return pixelAt(frame, static_cast<int>(x), static_cast<int>(y));
    }

    /// The block's centre and a point of the plane well outside the block, both on the plane.
    std::pair<Eigen::Vector3d, Eigen::Vector3d> insideAndOutside()
    {
        const Eigen::Vector3d inside(30, 30, 10);
        const Eigen::Vector3d normal = scene.view.normal();
        // Mirror the block's centre through the volume's centre, then back onto the plane.
        Eigen::Vector3d outside = Eigen::Vector3d(40, 40, 40) - inside;
        outside += normal.dot(inside - outside) * normal;
        return {inside, outside};
    }

    /// A green sphere of radius 8 mm at `centre`, shown in the view.
    std::unique_ptr<GlMesh> addSphere(const Eigen::Vector3d& centre)
    {
        auto sphere = std::make_unique<GlMesh>(std::make_shared<Mesh>(MeshCreator::createSphere(8.0)));
        sphere->setColor({0.0, 1.0, 0.0});
        sphere->setMatrix(translation(centre.x(), centre.y(), centre.z()));
        scene.view.addObject(sphere.get());
        return sphere;
    }

    SharedImageSet volume = blockVolume();
    RenderedView<GlSliceView> scene{GetParam()};
};

TEST_P(SliceViewRendering, ShowsTheBrightBlockOnlyWhereThePlaneCutsIt)
{
    centreOnBlock();
    const auto [inside, outside] = insideAndOutside();
    const QImage frame = scene.grab();
    EXPECT_GT(shownAt(frame, inside).lightness(), 200);
    EXPECT_TRUE(isBlack(shownAt(frame, outside)));

    // A parallel plane 15 mm towards the volume's centre misses the block and shows none of it.
    const Eigen::Vector3d normal = scene.view.normal();
    const double towardsCentre = normal.dot(Eigen::Vector3d(20, 20, 20) - inside) > 0 ? 1.0 : -1.0;
    const Eigen::Vector3d shift = 15.0 * towardsCentre * normal;
    Eigen::Matrix4d missing = scene.view.matrix();
    missing.block<3, 1>(0, 3) += shift;
    scene.view.setMatrix(missing);
    EXPECT_TRUE(isBlack(shownAt(scene.grab(), inside + shift)));
}

TEST_P(SliceViewRendering, WindowAndLevelMapIntensities)
{
    centreOnBlock();
    const Eigen::Vector3d inside = insideAndOutside().first;
    // A level far above the block's value shows it black, one just below it white, one at it grey.
    scene.renderer.setWindowLevel(100.0, 2000.0);
    EXPECT_TRUE(isBlack(shownAt(scene.grab(), inside)));
    scene.renderer.setWindowLevel(100.0, 900.0);
    EXPECT_GT(shownAt(scene.grab(), inside).lightness(), 240);
    scene.renderer.setWindowLevel(200.0, blockValue);
    const int grey = shownAt(scene.grab(), inside).lightness();
    EXPECT_GT(grey, 90);
    EXPECT_LT(grey, 165);
}

TEST_P(SliceViewRendering, ShowsObjectsCrossingThePlaneButNotThoseBesideIt)
{
    centreOnBlock();
    const Eigen::Vector3d outside = insideAndOutside().second;
    GlPoint onPlane;
    onPlane.setPoint(outside);
    onPlane.setPointSize(10.0);
    onPlane.setColor({0.0, 1.0, 0.0});
    // 5 mm off the plane, beyond the slab of objects a slice view shows.
    const Eigen::Vector3d beside = outside + 5.0 * scene.view.matrix().block<3, 1>(0, 0);
    GlPoint besidePlane;
    besidePlane.setPoint(beside + 5.0 * scene.view.normal());
    besidePlane.setPointSize(10.0);
    scene.view.addObject(&onPlane);
    scene.view.addObject(&besidePlane);
    const QImage frame = scene.grab();
    EXPECT_TRUE(isNear(shownAt(frame, outside), 0, 255, 0));
    EXPECT_TRUE(isBlack(shownAt(frame, beside)));
}

TEST_P(SliceViewRendering, CutsMeshesToTheirOutlineInTheirColour)
{
    centreOnBlock();
    const Eigen::Vector3d centre = insideAndOutside().second;
    const auto sphere = addSphere(centre);
    const Eigen::Vector3d inPlane = scene.view.matrix().block<3, 1>(0, 0);
    const QImage frame = scene.grab();
    EXPECT_TRUE(isNear(shownAt(frame, centre + 8.0 * inPlane), 0, 255, 0));
    EXPECT_TRUE(isBlack(shownAt(frame, centre + 4.0 * inPlane)));
}

TEST_P(SliceViewRendering, ProjectiveMeshesAreFlattenedOntoThePlaneWhole)
{
    centreOnBlock();
    const Eigen::Vector3d centre = insideAndOutside().second;
    // 5 mm off the plane: cut, it would show a ring of radius 6.2 mm around an empty centre.
    const auto sphere = addSphere(centre + 5.0 * scene.view.normal());
    sphere->setProjective(true);
    const Eigen::Vector3d inPlane = scene.view.matrix().block<3, 1>(0, 0);
    QImage frame = scene.grab();
    EXPECT_TRUE(isNear(shownAt(frame, centre), 0, 255, 0));
    EXPECT_TRUE(isNear(shownAt(frame, centre + 7.0 * inPlane), 0, 255, 0));
    EXPECT_TRUE(isBlack(shownAt(frame, centre + 10.0 * inPlane)));

    sphere->setProjective(false);
    frame = scene.grab();
    EXPECT_TRUE(isBlack(shownAt(frame, centre)));
}

TEST_P(SliceViewRendering, CutsTheVolumeAgainOnlyWhenThePlaneMoves)
{
    centreOnBlock();
    scene.window.render();
    const long long cut = scene.renderer.resliceCount();
    ASSERT_GT(cut, 0);
    scene.window.render();
    scene.window.render();
    EXPECT_EQ(scene.renderer.resliceCount(), cut);

    Eigen::Matrix4d moved = scene.view.matrix();
    moved.block<3, 1>(0, 3) += 2.0 * scene.view.normal();
    scene.view.setMatrix(moved);
    scene.window.render();
    EXPECT_GT(scene.renderer.resliceCount(), cut);
}

INSTANTIATE_TEST_SUITE_P(EachPlane, SliceViewRendering,
                         ::testing::Values(GlSliceView::Axial, GlSliceView::Coronal, GlSliceView::Sagittal));

}  // namespace
}  // namespace Tesselon
