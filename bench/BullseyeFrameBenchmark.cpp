#include "host/core/geometry/MeshCreator.h"
#include "host/core/io/MeshIO.h"
#include "host/gl/Camera.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlVolumeView.h"
#include "host/gui/VtkOffscreenWindow.h"
#include "host/gui/VtkViewRenderer.h"
#include "navigation/visualization/GlToolTargetOverlay.h"

#include "bench/support/FrameLoop.h"
#include "bench/support/SphereVolume.h"

#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include <memory>
#include <vector>

using namespace Tesselon;

namespace {

constexpr int kFrameSize = 600;
constexpr int kVolumeSide = 256;
// The planned path runs along +x from the entry to the target at the volume's centre.
const Eigen::Vector3d entry(40.0, 128.0, 128.0);
const Eigen::Vector3d target(128.0, 128.0, 128.0);

std::shared_ptr<const Mesh> resourceMesh(const char* path)
{
    return std::make_shared<const Mesh>(MeshIO::load(std::string(path)));
}

Eigen::Matrix4d translation(const Eigen::Vector3d& offset)
{
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Identity();
    matrix.block<3, 1>(0, 3) = offset;
    return matrix;
}

/// The 3D view while navigating with the bullseye panel: rings along the path, the target sphere, the
/// bullseye beyond the target, the ring on the tool, the tip, the path line and the depth gauge.
struct BullseyeScene
{
    BullseyeScene(GlView& view, int rings)
    {
        for (int i = 0; i < rings; ++i) {
            auto ring = std::make_unique<GlCircle>();
            ring->setCenter(entry + (target - entry) * i / (rings - 1));
            ring->setAxes(Eigen::Vector3d::UnitY(), Eigen::Vector3d::UnitZ());
            ring->setRadius(5.0);
            objects.push_back(std::move(ring));
        }
        objects.push_back(
            std::make_unique<GlMesh>(std::make_shared<const Mesh>(MeshCreator::createSphere(5.0))));
        objects.back()->setMatrix(translation(target));
        objects.push_back(std::make_unique<GlMesh>(resourceMesh(":/Bullseye.obj")));
        objects.back()->setMatrix(translation(target + Eigen::Vector3d(150.0, 0.0, 0.0)));
        objects.push_back(std::make_unique<GlLine>());
        static_cast<GlLine&>(*objects.back()).setPoints({entry, entry + Eigen::Vector3d(200.0, 0.0, 0.0)});
        for (const auto& object : objects)
            view.addObject(object.get());
        view.addObject(&toolRing);
        view.addObject(&tip);
        auto gauge = std::make_unique<GlToolTargetOverlay>();
        gauge->setAnchor(GlOverlay::Bottom);
        overlay = static_cast<GlToolTargetOverlay*>(view.addOverlay(std::move(gauge)));
    }

    /// What each tracking sample changes: the tip, the ring on the tool and the gauge's figures.
    void moveTool(int frame)
    {
        const double depth = frame % 80;
        const Eigen::Vector3d tipPosition = entry + Eigen::Vector3d(depth, 1.0 + 0.1 * (frame % 3), 0.0);
        tip.setPoint(tipPosition);
        toolRing.setMatrix(translation(tipPosition - Eigen::Vector3d(176.0, 0.0, 0.0)));
        overlay->setToolPoints({-1.0, depth}, {-1.5, depth - 50.0});
        overlay->setReadout({"off path 1.0 mm", fmt::format("angle {:.1f}°", 0.1 * frame), "miss 0.8 mm"});
    }

    std::vector<std::unique_ptr<GlObject>> objects;
    GlMesh toolRing{resourceMesh(":/SingleRing.obj")};
    GlPoint tip;
    GlToolTargetOverlay* overlay = nullptr;
};

/// One frame of the bullseye view at 600 x 600, with and without the volume's planes and the navigation
/// rings; the view aims at 25 ms or less.
void BullseyeView3DFrame(benchmark::State& state)
{
    std::unique_ptr<SharedImageSet> volume = Bench::sphereVolume(kVolumeSide);
    GlVolumeView view;
    Camera camera;
    // Where "Center" puts it: 250 mm beyond the target, looking back at the entry.
    camera.setLookAt(target + Eigen::Vector3d(250.0, 0.0, 0.0), entry, Eigen::Vector3d::UnitZ());
    view.setCamera(camera);
    BullseyeScene scene(view, static_cast<int>(state.range(1)));
    VtkViewRenderer renderer(&view);
    if (state.range(0))
        renderer.setVolume(volume.get());
    renderer.setPlanesCentre(target);
    // The window's 3D view multisamples only where a graphics card draws; on a software renderer, as here,
    // it draws without (0). 8 shows what multisampling would cost.
    VtkOffscreenWindow window(kFrameSize, kFrameSize);
    window.setMultiSamples(static_cast<int>(state.range(2)));
    Bench::timeFrames(state, window, renderer, [&scene](int frame) { scene.moveTool(frame); });
}
BENCHMARK(BullseyeView3DFrame)
    ->ArgsProduct({{0, 1}, {0, 100}, {0, 8}})
    ->ArgNames({"volume", "rings", "multisamples"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
