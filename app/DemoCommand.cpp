#include "app/DemoCommand.h"

#include "app/GuiCommand.h"
#include "app/HostContext.h"
#include "app/StreamPipeline.h"
#include "host/core/geometry/Math.h"
#include "host/core/model/AlgorithmCatalog.h"
#include "host/core/model/SharedImageSet.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingFrameRecorder.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedPhantom.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/calibration/TrackingToolCalibrationWizardAlgorithm.h"
#include "navigation/registration/LiveTrackingPointRegistrationAlgorithm.h"
#include "navigation/visualization/BullseyeVisualizationAlgorithm.h"

#include <Eigen/Geometry>

#include <atomic>
#include <future>
#include <numbers>

#include <QFile>
#include <QTemporaryDir>

#include <fmt/core.h>
#include <fmt/ranges.h>

namespace Tesselon {
namespace {

// A target inside the phantom, away from every divot.
const Eigen::Vector3d phantomTarget(35.0, 20.0, 60.0);

constexpr const char* resourcePaths[] = {
    ":/Navigation/Sphere.obj",
    ":/Navigation/ToolCalibration/pivoting.gif",
    ":/Navigation/ToolCalibration/rotation.gif",
    ":/Navigation/ToolCalibration/dip.gif",
    ":/Navigation/ToolCalibration/flip.gif",
};

}  // namespace

DemoCommand::DemoCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "demo", "Run the main job on built-in data and explain each step")
{
    options().add_flag("--gui", m_gui, "Then show the session in the main window");
    options().add_option("--screenshot", m_screenshot, "With --gui: write a PNG of the window, then quit");
}

int DemoCommand::run()
{
    fmt::print("Tesselon demo\n=============\n\n");
    if (!showPlugins())
        return 1;
    showAlgorithms();
    showResources();
    showSmoothing();
    showCalibration();
    showRegistration();
    showBullseyeNavigation();
    showSharing();
    fmt::print(
        "\nDemo finished.\n\n"
        "In the window, `build/bin/tesselon gui` (under `xvfb-run -a` without a display), the simulated\n"
        "tracker's tools can be steered, recorded and calibrated (Streaming > Tracking Tool Calibration\n"
        "guides it step by step), streams combined and smoothed, the example CT registered by touching its\n"
        "phantom's divots (Registration > Tracker-Volume Registration), a tool followed with the slice\n"
        "views, and the needle guided down the CT's planned path into the lesion, with rings along the path\n"
        "(Visualization > Navigation Visualization) or looking down it (Visualization > Bullseye\n"
        "Visualization); `--script FILE.js` drives it (README, \"Scripting the window\").\n");
    return m_gui ? showWindow() : 0;
}

bool DemoCommand::showPlugins()
{
    fmt::print("1. Loading plug-ins from {}\n", fmt::join(context().pluginFolders(), ", "));
    PluginLoader& loader = context().plugins();
    for (const auto& plugin : loader.loaded())
        fmt::print("   Loaded {}: {} (needs {}).\n", plugin.id, plugin.description,
                   fmt::join(plugin.dependencies, ", "));
    for (const auto& refused : loader.refused())
        fmt::print("   Refused: {}\n", refused.reason);
    if (loader.loaded().empty()) {
        fmt::print("   No plug-in could be loaded, so there is nothing to show. Build the project first.\n");
        return false;
    }
    return true;
}

void DemoCommand::showAlgorithms()
{
    const AlgorithmCatalog catalog(context().plugins().algorithmFactories());
    fmt::print("\n2. The plug-ins offer {} algorithms in the host's menus.\n", catalog.size());
    for (const auto& [category, entries] : catalog.byCategory()) {
        fmt::print("   {}:\n", category);
        for (const auto& entry : entries)
            fmt::print("     - {}\n", entry.descriptor->displayName());
    }
}

void DemoCommand::showResources()
{
    fmt::print(
        "\n3. Resources compiled into the navigation plug-in, as the calibration wizard will show them:\n");
    for (const char* path : resourcePaths) {
        QFile file(path);
        if (file.exists())
            fmt::print("   {:<46} {:>8} bytes\n", path, file.size());
        else
            fmt::print("   {:<46} missing\n", path);
    }
}

void DemoCommand::showSmoothing()
{
    fmt::print(
        "\n4. Smoothing live tracking: the simulated tracker (60 Hz, 0.25 mm noise) runs for 2 s through "
        "the\n"
        "   plug-in's smoothed stream with Kalman filters, created from its \"Streaming\" menu entry.\n");
    StreamPipeline::Options options;
    options.instruments = "Reference,Needle";
    options.smoothing = "kalman";
    StreamPipeline pipeline(context().plugins(), options);
    for (const auto& report : pipeline.run(2.0)) {
        const bool still = report.id == "Reference";
        fmt::print(
            "   {:<28} RMS error {:.3f} mm -> {:.3f} mm, lag {:.0f} ms, {:.0f} us added per sample ({})\n",
            report.name, report.errorBeforeMm, report.errorAfterMm, report.lagMs, report.latencyMicroseconds,
            still ? "held still" : "turning about its axis");
    }
}

void DemoCommand::showCalibration()
{
    fmt::print(
        "\n5. Calibrating the simulated needle with the calibration wizard's algorithm: record it pivoting\n"
        "   about its tip for 8 s, then turning about its own axis for 1.5 s (simulated time), compute.\n");
    SimulatedTracker tracker;
    const SimulatedInstrument needle = *tracker.simulatedInstrument("Needle");
    TrackingToolCalibrationWizardAlgorithm wizard(&tracker);
    wizard.setInstrument("Needle");
    const auto record = [&](int samples) {
        wizard.startRecording();
        for (int i = 0; i < samples; ++i)
            tracker.emitNext();
        return wizard.stopRecording();
    };
    tracker.setMotion("Needle", SimulatedMotion(SimulatedMotion::Pivot{needle.pivotPoint(),
                                                                       needle.tipOffset(), 30.0, 5.0, 8.0}));
    const bool pivotAccepted = wizard.setPivoting(record(480));
    tracker.setMotion("Needle", needle.motion());
    const bool rotationAccepted = wizard.setRotation(record(90));
    wizard.compute();
    const auto stored =
        tracker.components().getOrCreate<InstrumentCalibrationDataComponent>().calibration("Needle");
    if (!pivotAccepted || !rotationAccepted || !wizard.problem().empty() || !stored) {
        fmt::print("   The calibration failed: {}\n", wizard.problem());
        return;
    }
    const Eigen::Vector3d tip = stored->matrix.topRightCorner<3, 1>();
    const Eigen::Vector3d axis = stored->matrix.block<3, 1>(0, 2);
    const double axisErrorDegrees =
        std::acos(std::min(1.0, std::abs(axis.dot(needle.needleAxis())))) * 180.0 / std::numbers::pi;
    fmt::print(
        "   Tip found at ({:.2f}, {:.2f}, {:.2f}) mm in the marker frame; the truth is ({:.2f}, {:.2f}, "
        "{:.2f}).\n",
        tip.x(), tip.y(), tip.z(), needle.tipOffset().x(), needle.tipOffset().y(), needle.tipOffset().z());
    fmt::print(
        "   Tip error {:.3f} mm, needle axis error {:.3f} degrees (the axis sign is the user's to choose).\n",
        (tip - needle.tipOffset()).norm(), axisErrorDegrees);
    wizard.accept();
}

void DemoCommand::showRegistration()
{
    fmt::print(
        "\n6. Registering a phantom's image to the tracker with the plug-in's \"Registration\" algorithm: "
        "the\n"
        "   calibrated pointer rests in each of the phantom's 8 divots in turn (0.25 mm tracking noise), "
        "each\n"
        "   tip is captured live, paired with the divot marked in the image, and the image is moved onto "
        "them.\n");
    SimulatedTracker tracker;
    const SimulatedInstrument pointer = *tracker.simulatedInstrument("Pointer");
    tracker.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
        "Pointer", Eigen::Affine3d(Eigen::Translation3d(pointer.tipOffset())).matrix(), 0.0);
    SharedImageSet phantom({8, 8, 8}, Eigen::Vector3d(20, 10, 10), std::vector<float>(512, 0.0f), "Phantom");
    const Eigen::Affine3d phantomToTracker = SimulatedPhantom::phantomToTracker();

    LiveTrackingPointRegistrationAlgorithm registration(tracker, phantom);
    registration.trackedPoints().setTrackerId("Pointer");
    for (const Eigen::Vector3d& landmark : SimulatedPhantom::divots()) {
        const Eigen::Vector3d divot = phantomToTracker * landmark;
        tracker.setMotion(
            "Pointer", SimulatedMotion(SimulatedMotion::Pivot{divot, pointer.tipOffset(), 15.0, 3.0, 8.0}));
        for (int i = 0; i < 30; ++i)
            tracker.emitNext();
        Eigen::Vector3d tip;
        if (const auto id = registration.addLiveTrackingPoint(tip))
            registration.setVolumePoint(*id, Math::transformPointAffine(phantom.matrix(), landmark));
    }
    registration.compute();
    if (registration.status() != Algorithm::Success) {
        fmt::print("   The registration failed: {}\n", registration.problem());
        return;
    }
    const auto& residuals = registration.residuals();
    fmt::print("   Fiducial registration error {:.3f} mm RMS over {} divots (largest residual {:.3f} mm).\n",
               *registration.registrationError(), residuals.size(),
               *std::max_element(residuals.begin(), residuals.end()));
    const Eigen::Vector3d targetFound = Math::transformPointAffine(phantom.matrix(), phantomTarget);
    const Eigen::Vector3d targetTruth = phantomToTracker * phantomTarget;
    fmt::print(
        "   Target registration error at a target 40 mm beyond the divots: {:.3f} mm (predicted from the\n"
        "   divots' layout and the fit: {:.3f} mm RMS).\n",
        (targetFound - targetTruth).norm(), registration.expectedTargetError(targetFound).value_or(0.0));
}

void DemoCommand::showBullseyeNavigation()
{
    fmt::print(
        "\n7. Navigating the calibrated needle down a planned 80 mm path with the plug-in's bullseye view: "
        "the\n"
        "   needle enters 2 mm off the plan and converges on the target; the view's target overlay reads:\n");
    SimulatedTracker tracker;
    const SimulatedInstrument needle = *tracker.simulatedInstrument("Needle");
    const Eigen::Vector3d entry(-30, 20, -1400);
    const Eigen::Vector3d target = entry + 80.0 * Eigen::Vector3d(0.6, 0.0, 0.8);
    const Eigen::Vector3d direction = (target - entry).normalized();
    // The calibrated tool frame has its origin at the tip and its z axis up the shaft, away from the tip.
    const Eigen::Quaterniond tipToMarkerRotation =
        Eigen::Quaterniond::FromTwoVectors(Eigen::Vector3d::UnitZ(), -needle.needleAxis());
    tracker.components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
        "Needle", (Eigen::Translation3d(needle.tipOffset()) * tipToMarkerRotation).matrix(), 0.0);
    const Eigen::Vector3d offPlan = 2.0 * Eigen::Vector3d::UnitY();
    tracker.setMotion("Needle",
                      SimulatedMotion(SimulatedMotion::Path{
                          entry + offPlan, target, needle.tipOffset(),
                          Eigen::Quaterniond::FromTwoVectors(needle.needleAxis(), direction), 10.0}));

    SharedImageSet image({8, 8, 8}, Eigen::Vector3d(20, 20, 20), std::vector<float>(512, 0.0f),
                         "Planning CT");
    BullseyeVisualizationAlgorithm bullseye(&tracker, &image);
    bullseye.setLinePoints(entry, target);
    bullseye.toolVisAlg().trackingTargetId = "Needle";
    bullseye.toolVisAlg().running = true;
    const int samplesPerSecond = 60;
    for (int second = 0; second <= 5; ++second) {
        for (int i = 0; i < (second == 0 ? 1 : samplesPerSecond); ++i)
            tracker.emitNext();
        Eigen::Vector2d tip, back;
        if (const auto toolToWorld = bullseye.lastToolMatrix()) {
            bullseye.computeOverlayParameters(tip, back, *toolToWorld);
            fmt::print("   t = {} s: depth {:6.2f} mm along the path, {:.2f} mm off it\n", second, tip.y(),
                       -tip.x());
        }
    }
    fmt::print(
        "   The path is {:.1f} mm long; the camera looks back along it from {:.0f} mm beyond the target.\n",
        (target - entry).norm(), bullseye.bullseyeDistance.value());
}

void DemoCommand::showSharing()
{
    fmt::print(
        "\n8. Sharing poses with other programs over OpenIGTLink: the Kalman-smoothed simulated tracker is\n"
        "   served on a loopback port for 2 s, one TDATA message per sample; a client stream receives it as\n"
        "   a peer program would and records what arrives to a sequence file, which is then played back.\n");
    StreamPipeline::Options options;
    options.instruments = "Reference,Needle";
    options.smoothing = "kalman";
    options.servePort = 0;
    options.serveFormat = IgtlTrackingServer::Format::TrackingData;
    StreamPipeline pipeline(context().plugins(), options);

    IgtlTrackingStream client("Peer");
    const Properties address = IgtlAddress{"127.0.0.1", pipeline.servedPort()}.streamConfiguration();
    client.configure(&address);
    TrackingFrameRecorder recorder(&client);
    recorder.start();
    client.open();
    client.start();
    pipeline.run(2.0);
    client.stop();
    recorder.stop();

    QTemporaryDir folder;
    const std::string file = folder.filePath("shared.mha").toStdString();
    recorder.save(file);
    std::vector<std::string> names;
    for (const TrackingInstrument& instrument : client.instruments())
        names.push_back(instrument.id.ID());
    fmt::print("   The client received {} messages ({}) on port {} and recorded {} frames.\n",
               client.messagesReceived(), fmt::join(names, ", "), pipeline.servedPort(),
               recorder.recording().frames.size());

    auto playback = PlaybackTrackingStream::fromFile(file);
    Properties fullSpeed;
    fullSpeed.setParam("speed", 0.0);
    playback->configure(&fullSpeed);
    std::atomic<std::size_t> played = 0;
    SignalReceiver counter;
    playback->newData.connect(&counter, [&](const std::shared_ptr<const StreamData>&) { ++played; });
    std::promise<void> finished;
    playback->finished.connect(&counter, [&] { finished.set_value(); });
    playback->open();
    playback->start();
    finished.get_future().wait_for(std::chrono::seconds(10));
    playback->stop();
    counter.disconnectAll();
    fmt::print("   Played the recording back as a live stream at full speed: {} of {} frames.\n",
               played.load(), playback->frameCount());
}

int DemoCommand::showWindow()
{
    fmt::print(
        "\nThe main window shows a synthetic CT with the simulated tracker's tools moving inside it; the\n"
        "menus offer the plug-in's algorithms for the selected data, the lamps below show which tools are "
        "seen.\n");
    return GuiCommand::showWindow(context(), {}, m_screenshot);
}

}  // namespace Tesselon
