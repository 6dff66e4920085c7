#include "RenderTestScene.h"

#include "host/gl/GlVolumeView.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

#include <cmath>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

// The volume is moved 100 mm along x, so planes that ignored its pose would show it elsewhere.
const Eigen::Vector3d volumeOffset(100, 0, 0);
const Eigen::Vector3d viewCentre = volumeOffset + Eigen::Vector3d(20, 20, 0);
constexpr double eyeHeight = 200.0;

/// The 3D view looks straight down at the volume's centre from `eyeHeight` above it; returns the pixel of a
/// world point at height z.
QColor seenFromAbove(const QImage& frame, const Eigen::Vector3d& point)
{
    const double halfHeight = (eyeHeight - point.z()) * std::tan(15.0 * M_PI / 180.0);
    const double scale = frameSize / 2.0 / halfHeight;
    return pixelAt(frame, static_cast<int>(frameSize / 2.0 + (point.x() - viewCentre.x()) * scale),
                   static_cast<int>(frameSize / 2.0 + (point.y() - viewCentre.y()) * scale));
}

TEST(VolumePlanesRendering, AxialPlaneSeenFromAboveShowsTheBlockOnlyWhereThePlaneCutsIt)
{
    SharedImageSet volume = blockVolume();
    volume.setMatrix(Eigen::Affine3d(Eigen::Translation3d(volumeOffset)).matrix());

    RenderedView<GlVolumeView> scene;
    Camera camera;
    camera.setLookAt(viewCentre + Eigen::Vector3d(0, 0, eyeHeight), viewCentre, {0, 1, 0});
    scene.view.setCamera(camera);
    scene.renderer.setVolume(&volume);

    // Through the block (x, y in [25, 35], z in [5, 15]): its centre is bright, a corner of the plane dark.
    scene.renderer.setPlanesCentre(volumeOffset + Eigen::Vector3d(30, 30, 10));
    QImage frame = scene.grab();
    EXPECT_GT(seenFromAbove(frame, volumeOffset + Eigen::Vector3d(30, 30, 10)).lightness(), 200);
    EXPECT_TRUE(isBlack(seenFromAbove(frame, volumeOffset + Eigen::Vector3d(10, 10, 10))));

    // Raised above the block, the axial plane hides it.
    scene.renderer.setPlanesCentre(volumeOffset + Eigen::Vector3d(30, 30, 30));
    frame = scene.grab();
    EXPECT_TRUE(isBlack(seenFromAbove(frame, volumeOffset + Eigen::Vector3d(27, 27, 30))));
}

}  // namespace
}  // namespace Tesselon
