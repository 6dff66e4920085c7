#include "host/gl/ApplicationController.h"
#include "host/gl/GlManipulator.h"
#include "host/gl/GlSpline.h"
#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"
#include "navigation/visualization/ToolNavigationVisualizationController.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationController.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>

#include <vector>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

constexpr int kPoses = 256;  // a cycle of needle poses along the path, so the loop times only the update

/// A needle advancing along a curved 160 mm path, a little off it, turning slowly.
std::vector<TrackingInstrument> needlePoses()
{
    std::vector<TrackingInstrument> poses;
    for (int i = 0; i < kPoses; ++i) {
        const double s = static_cast<double>(i) / kPoses;
        poses.push_back(instrument(
            "Needle", pose({0, 0, 1}, 90.0 * s, {2.0 + 20.0 * std::sin(3.0 * s), 1.0, 160.0 * s})));
    }
    return poses;
}

std::vector<Eigen::Vector3d> curvedPath()
{
    std::vector<Eigen::Vector3d> points;
    for (int i = 0; i <= 8; ++i)
        points.emplace_back(20.0 * std::sin(0.375 * i), 0.0, 20.0 * i);
    return points;
}

/// Times `update` after each sample of the needle moving along the path.
template <class Update>
void timeUpdates(benchmark::State& state, ManualTrackingStream& stream, Update update)
{
    const auto poses = needlePoses();
    std::size_t i = 0;
    for (auto _ : state) {
        stream.emitInstruments({poses[i]});
        update();
        i = (i + 1) % poses.size();
    }
}

/// One update of the tool visualization's panel alone: the baseline the navigation adds to.
void ToolVisualizationUpdate(benchmark::State& state)
{
    ApplicationController application;
    ManualTrackingStream stream;
    ToolVisualizationAlgorithm algorithm(&stream);
    algorithm.trackingTargetId = "Needle";
    ToolVisualizationController panel(&algorithm);
    panel.setApplicationController(&application);
    panel.init();
    panel.onCompute();
    timeUpdates(state, stream, [&panel] { panel.updateVisualization(); });
}
BENCHMARK(ToolVisualizationUpdate);

/// One update of the navigation panel with its embedded tool panel, for a number of path rings, with all
/// rings shown (0) or faded by distance to the tip (1).
void NavigationUpdate(benchmark::State& state)
{
    ApplicationController application;
    auto spline = std::make_unique<GlSpline>("Planned path");
    spline->setPoints(curvedPath());
    application.annotations().add(std::make_unique<InteractiveObject>(spline.release(), nullptr, true));
    ManualTrackingStream stream;
    stream.setInstruments({needlePoses().front()});
    ToolNavigationVisualizationAlgorithm algorithm(&stream);
    algorithm.toolVisualization().trackingTargetId = "Needle";
    algorithm.toolVisualization().running = true;
    ToolNavigationVisualizationController panel(&algorithm);
    panel.setApplicationController(&application);
    panel.init();
    panel.findChild<QSpinBox*>("spinBox_number")->setValue(static_cast<int>(state.range(0)));
    panel.findChild<QComboBox*>("comboBox_visibility")->setCurrentIndex(state.range(1) ? 3 : 0);
    timeUpdates(state, stream, [&panel] { panel.onVisualizationUpdated(); });
    state.SetLabel(state.range(1) ? "fading" : "all rings");
}
BENCHMARK(NavigationUpdate)->ArgsProduct({{10, 100}, {0, 1}})->ArgNames({"rings", "fading"});

}  // namespace

int main(int argc, char** argv)
{
    // The panels are widgets; they are never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
