// Sample-to-pixel latency of the window: from the simulated tracker emitting a sample on its own thread to
// the first frame of the 3D view on the screen that shows the tool where that sample put it. The pieces
// are the ones `tesselon gui` runs: the four-view display with a 256³ volume, the tool visualization's
// panel started on the needle with the slice views following it, and the tracker's 60 Hz thread with 16,
// then 30 tools. It needs a display:
//   xvfb-run -a -s "-screen 0 1920x1200x24" build/bin/SampleToPixelLatencyBenchmark
//
// A sample is stamped when the tracker emits it, recognised by its pose when the panel moves the tool to
// it, and stamped when a frame of the 3D view drawn with it has been swapped onto the screen (the view
// widget's frameSwapped). One iteration is a 5 s run after 1 s of settling. Counters: median and 99th
// percentile latency (ms), the medians up to the panel's update and to the end of the 3D render, poses
// reaching the screen per second beside the samples emitted per second, samples never shown, the
// program's processor use (cores, and milliseconds of it per frame of the 3D view) and the frames per
// second of each view.
#include "bench/support/SphereVolume.h"
#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Properties.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlObject.h"
#include "host/gui/DisplayWidget.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"
#include "navigation/visualization/ToolVisualizationController.h"

#include <benchmark/benchmark.h>
#include <fmt/core.h>

#include <QApplication>
#include <QEventLoop>
#include <QOpenGLWidget>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <deque>
#include <mutex>
#include <optional>

using namespace Tesselon;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int volumeSide = 256;
constexpr double trackerRate = 60.0;
constexpr int settleMilliseconds = 1000;
constexpr int runMilliseconds = 5000;
// After the run, samples still on their way get this long to reach the screen.
constexpr int drainMilliseconds = 300;
constexpr std::array<const char*, 4> viewNames{"3D", "axial", "coronal", "sagittal"};

/// What became of each sample, by its number in the order the tracker emitted it. The stream's thread
/// adds samples, the GUI thread follows them to the screen.
class SampleTimeline
{
public:
    struct Times
    {
        Clock::time_point emitted, applied, rendered, presented;
    };

    /// Stream thread, before the visualization sees the sample.
    void noteEmitted()
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_mutex);
        m_samples.push_back({now, {}, {}, {}});
    }

    /// Stream thread, once the visualization has taken the sample: the tool pose it leads to.
    void noteProcessed(const std::optional<Eigen::Matrix4d>& toolToWorld)
    {
        if (!toolToWorld)
            return;
        std::lock_guard lock(m_mutex);
        m_recentPoses.emplace_back(m_samples.size() - 1, *toolToWorld);
        // The panel is never more than a few samples behind; the noise makes every pose unique.
        if (m_recentPoses.size() > 64)
            m_recentPoses.pop_front();
    }

    /// GUI thread, after the panel moved the tool: the sample whose pose the tool now has.
    void noteApplied(const Eigen::Matrix4d& shownToolToWorld)
    {
        std::lock_guard lock(m_mutex);
        const auto found = std::find_if(m_recentPoses.rbegin(), m_recentPoses.rend(),
                                        [&](const auto& pose) { return pose.second == shownToolToWorld; });
        if (found == m_recentPoses.rend())
            return;
        m_applied = found->first;
        stampOnce(&Times::applied, m_applied);
    }

    /// GUI thread, at the end of a render of the 3D view: it drew the sample last applied.
    void noteRendered()
    {
        std::lock_guard lock(m_mutex);
        m_rendered = m_applied;
        stampOnce(&Times::rendered, m_rendered);
    }

    /// GUI thread, after the window's buffers were swapped: the last render is on the screen.
    void notePresented()
    {
        std::lock_guard lock(m_mutex);
        stampOnce(&Times::presented, m_rendered);
    }

    /// The samples emitted between the two times.
    std::vector<Times> emittedBetween(Clock::time_point from, Clock::time_point to) const
    {
        std::lock_guard lock(m_mutex);
        std::vector<Times> result;
        std::copy_if(m_samples.begin(), m_samples.end(), std::back_inserter(result),
                     [&](const Times& times) { return times.emitted >= from && times.emitted < to; });
        return result;
    }

private:
    void stampOnce(Clock::time_point Times::*stage, std::optional<std::size_t> sample)
    {
        if (sample && *sample < m_samples.size() && m_samples[*sample].*stage == Clock::time_point{})
            m_samples[*sample].*stage = Clock::now();
    }

    mutable std::mutex m_mutex;
    std::deque<Times> m_samples;
    std::deque<std::pair<std::size_t, Eigen::Matrix4d>> m_recentPoses;
    std::optional<std::size_t> m_applied;
    std::optional<std::size_t> m_rendered;
};

/// Runs the event loop for this long.
void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string instrumentList(int tools)
{
    std::string ids = "Reference,Needle";
    for (int i = 2; i < tools; ++i)
        ids += fmt::format(",Pointer{}", i);
    return ids;
}

/// The window's display with the tool visualization running on a live simulated tracker.
class NavigationScene
{
public:
    explicit NavigationScene(int tools)
    {
        configureTracker(tools);
        m_tracker.newData.connect(&m_receiver,
                                  [this](std::shared_ptr<const StreamData>) { m_timeline.noteEmitted(); });
        m_algorithm = std::make_unique<ToolVisualizationAlgorithm>(&m_tracker);
        m_algorithm->trackingTargetId = "Needle";
        m_algorithm->toolUpdated.connect(&m_receiver,
                                         [this] { m_timeline.noteProcessed(m_algorithm->lastToolMatrix()); });
        showDisplay();
        watchThe3DView();
    }

    ~NavigationScene()
    {
        m_tracker.stop();
        m_tracker.close();
        m_receiver.disconnectAll();
    }

    /// Starts the tracker, then opens the panel as a user does and presses Start; false if that failed.
    bool start()
    {
        if (!m_tracker.open() || !m_tracker.start())
            return false;
        for (int i = 0; i < 100 && m_tracker.instruments().empty(); ++i)
            runEventLoop(10);
        m_panel = std::make_unique<ToolVisualizationController>(m_algorithm.get());
        m_panel->setApplicationController(&m_application);
        m_panel->init();
        QObject::connect(m_panel.get(), &ToolVisualizationController::visualizationUpdated, [this] {
            if (!m_panel->toolObjects().empty())
                m_timeline.noteApplied(m_panel->toolObjects().front()->object()->matrix());
        });
        m_panel->onCompute();
        return m_algorithm->running && m_algorithm->trackingTargetId.value() == "Needle" &&
               !m_panel->toolObjects().empty();
    }

    const SampleTimeline& timeline() const { return m_timeline; }

    std::array<long long, 4> frameCounts()
    {
        DisplayWidgetMulti& model = m_application.display();
        return {m_display.frameCount(model.view3D()), m_display.frameCount(model.viewSlice(0)),
                m_display.frameCount(model.viewSlice(1)), m_display.frameCount(model.viewSlice(2))};
    }

private:
    void configureTracker(int tools)
    {
        Properties configuration;
        configuration.setParam("instruments", instrumentList(tools));
        configuration.setParam("rate", trackerRate);
        m_tracker.configure(&configuration);
        // The needle's tip is the tool's origin, and the tracker is placed so that the point the tip turns
        // about is the volume's centre: the slice views then cut through the volume as the tool moves.
        const std::optional<SimulatedInstrument> needle = m_tracker.simulatedInstrument("Needle");
        Eigen::Matrix4d tipToMarker = Eigen::Matrix4d::Identity();
        tipToMarker.topRightCorner<3, 1>() = needle->tipOffset();
        m_tracker.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
            "Needle", tipToMarker, 0.0);
        Eigen::Matrix4d trackerToWorld = Eigen::Matrix4d::Identity();
        trackerToWorld.topRightCorner<3, 1>() =
            Eigen::Vector3d::Constant((volumeSide - 1) / 2.0) - needle->pivotPoint();
        m_tracker.setMatrix(trackerToWorld);
    }

    void showDisplay()
    {
        m_display.setVolume(m_volume.get());
        m_display.resize(1280, 960);
        m_display.show();
        for (int i = 0; i < 200 && !(m_display.windowHandle() && m_display.windowHandle()->isExposed()); ++i)
            runEventLoop(10);
        m_display.renderNow();
    }

    /// Notes the end of every render of the 3D view and every swap of the window's buffers after it.
    void watchThe3DView()
    {
        const GlView* view3D = m_application.display().view3D();
        QObject::connect(&m_display, &DisplayWidget::viewRendered, [this, view3D](const GlView* view) {
            if (view == view3D)
                m_timeline.noteRendered();
        });
        auto* widget = qobject_cast<QOpenGLWidget*>(m_display.viewWidget(view3D));
        QObject::connect(widget, &QOpenGLWidget::frameSwapped, [this] { m_timeline.notePresented(); });
    }

    // In the order of their lifetimes: the volume and the model outlive the display, the tracker its
    // listeners.
    SampleTimeline m_timeline;
    std::unique_ptr<SharedImageSet> m_volume = Bench::sphereVolume(volumeSide);
    ApplicationController m_application;
    DisplayWidget m_display{&m_application.display()};
    SimulatedTracker m_tracker;
    std::unique_ptr<ToolVisualizationAlgorithm> m_algorithm;
    std::unique_ptr<ToolVisualizationController> m_panel;
    SignalReceiver m_receiver;
};

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

/// The value below which this fraction of the values lie; the values get sorted.
double percentile(std::vector<double>& values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

/// Latency figures of the samples emitted during the run.
void reportSamples(benchmark::State& state, const std::vector<SampleTimeline::Times>& samples, double seconds)
{
    std::vector<double> presented, applied, rendered;
    for (const SampleTimeline::Times& times : samples) {
        if (times.presented != Clock::time_point{})
            presented.push_back(milliseconds(times.presented - times.emitted));
        if (times.applied != Clock::time_point{})
            applied.push_back(milliseconds(times.applied - times.emitted));
        if (times.rendered != Clock::time_point{})
            rendered.push_back(milliseconds(times.rendered - times.emitted));
    }
    state.counters["shown_per_s"] = static_cast<double>(presented.size()) / seconds;
    state.counters["emitted_per_s"] = static_cast<double>(samples.size()) / seconds;
    state.counters["never_shown"] = static_cast<double>(samples.size() - presented.size());
    state.counters["to_panel_ms"] = percentile(applied, 0.5);
    state.counters["to_render_ms"] = percentile(rendered, 0.5);
    state.counters["p99_ms"] = percentile(presented, 0.99);
    state.counters["median_ms"] = percentile(presented, 0.5);
}

void SampleToPixelLatency(benchmark::State& state)
{
    const int tools = static_cast<int>(state.range(0));
    for (auto _ : state) {
        NavigationScene scene(tools);
        if (!scene.start()) {
            state.SkipWithError("the tracker or the tool visualization did not start");
            return;
        }
        runEventLoop(settleMilliseconds);
        const auto framesBefore = scene.frameCounts();
        const double cpuBefore = processSeconds();
        const Clock::time_point from = Clock::now();
        runEventLoop(runMilliseconds);
        const Clock::time_point to = Clock::now();
        const double cpuSeconds = processSeconds() - cpuBefore;
        const auto framesAfter = scene.frameCounts();
        runEventLoop(drainMilliseconds);

        const double seconds = std::chrono::duration<double>(to - from).count();
        state.SetIterationTime(seconds);
        reportSamples(state, scene.timeline().emittedBetween(from, to), seconds);
        state.counters["cores"] = cpuSeconds / seconds;
        // What a frame costs, which varies less than the frame rate when other programs share the machine.
        state.counters["cpu_ms_per_frame"] =
            1000.0 * cpuSeconds / static_cast<double>(std::max(framesAfter[0] - framesBefore[0], 1LL));
        for (std::size_t view = 0; view < viewNames.size(); ++view)
            state.counters[fmt::format("fps_{}", viewNames[view])] =
                static_cast<double>(framesAfter[view] - framesBefore[view]) / seconds;
    }
    state.SetLabel(fmt::format("{} tools at {:.0f} Hz", tools, trackerRate));
}
BENCHMARK(SampleToPixelLatency)
    ->ArgName("tools")
    ->Arg(16)
    ->Arg(30)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
