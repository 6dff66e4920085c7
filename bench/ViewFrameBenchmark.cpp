#include "host/core/geometry/MeshCreator.h"
#include "host/gl/GlArrow.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlGrid.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSliceView.h"
#include "host/gl/GlSpline.h"
#include "host/gl/GlVolumeView.h"
#include "host/gui/VtkOffscreenWindow.h"
#include "host/gui/VtkViewRenderer.h"

#include "bench/support/FrameLoop.h"
#include "bench/support/SphereVolume.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace Tesselon;

namespace {

constexpr int kFrameSize = 600;
constexpr int kVolumeSide = 256;
constexpr int kDisplayObjects = 20;

/// A navigation scene: the tool mesh and twenty annotations of every kind around the volume's centre.
struct Scene
{
    Scene()
    {
        tool.setColor({0.9, 0.8, 0.2});
        objects.push_back(std::make_unique<GlGrid>(256.0, 16.0));
        for (int i = 0; static_cast<int>(objects.size()) < kDisplayObjects; ++i) {
            const Eigen::Vector3d base(100.0 + 3.0 * i, 128.0, 128.0);
            switch (i % 5) {
                case 0: {
                    auto line = std::make_unique<GlLine>();
                    line->setPoints({base, base + Eigen::Vector3d(0, 40, 20)});
                    objects.push_back(std::move(line));
                    break;
                }
                case 1: {
                    auto spline = std::make_unique<GlSpline>();
                    spline->setPoints(
                        {base, base + Eigen::Vector3d(10, 20, 5), base + Eigen::Vector3d(0, 40, 30)});
                    objects.push_back(std::move(spline));
                    break;
                }
                case 2: {
                    auto point = std::make_unique<GlPoint>();
                    point->setPoint(base);
                    objects.push_back(std::move(point));
                    break;
                }
                case 3: {
                    auto circle = std::make_unique<GlCircle>();
                    circle->setCenter(base);
                    circle->setRadius(8.0);
                    objects.push_back(std::move(circle));
                    break;
                }
                default:
                    objects.push_back(std::make_unique<GlArrow>(base, base + Eigen::Vector3d(0, 0, 30)));
                    break;
            }
        }
    }

    void showIn(GlView& view)
    {
        view.addObject(&tool);
        for (const auto& object : objects)
            view.addObject(object.get());
    }

    /// Moves the tool a little, as each tracking sample does.
    void moveTool(int frame)
    {
        Eigen::Matrix4d toolToWorld = Eigen::Matrix4d::Identity();
        toolToWorld.block<3, 1>(0, 3) = Eigen::Vector3d(128.0 + frame % 10, 128.0, 128.0);
        tool.setMatrix(toolToWorld);
    }

    std::unique_ptr<SharedImageSet> volume = Bench::sphereVolume(kVolumeSide);
    GlMesh tool{std::make_shared<Mesh>(MeshCreator::createSphere(5.0, 64, 128))};
    std::vector<std::unique_ptr<GlObject>> objects;
};

void runFrames(benchmark::State& state, Scene& scene, GlView& view)
{
    scene.showIn(view);
    VtkViewRenderer renderer(&view);
    renderer.setVolume(scene.volume.get());
    renderer.setPlanesCentre(Eigen::Vector3d::Constant(128.0));
    renderer.setSliceViewHalfHeight(140.0);
    VtkOffscreenWindow window(kFrameSize, kFrameSize);
    Bench::timeFrames(state, window, renderer, [&scene](int frame) { scene.moveTool(frame); });
}

/// One frame of the 3D view: three orthogonal volume planes, the tool and the annotations.
void View3DFrame(benchmark::State& state)
{
    Scene scene;
    GlVolumeView view;
    Camera camera;
    camera.setLookAt({128.0, -400.0, 128.0}, Eigen::Vector3d::Constant(128.0), Eigen::Vector3d::UnitZ());
    view.setCamera(camera);
    runFrames(state, scene, view);
}
BENCHMARK(View3DFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

/// One frame of the axial slice view: the resliced plane with window and level, and the objects near it.
void AxialSliceFrame(benchmark::State& state)
{
    Scene scene;
    GlSliceView view(GlSliceView::Axial);
    Eigen::Matrix4d planeToWorld = view.matrix();
    planeToWorld.block<3, 1>(0, 3) = Eigen::Vector3d::Constant(128.0);
    view.setMatrix(planeToWorld);
    runFrames(state, scene, view);
}
BENCHMARK(AxialSliceFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
