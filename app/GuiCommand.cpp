#include "app/GuiCommand.h"

#include "app/HostContext.h"
#include "app/SyntheticPhantom.h"
#include "app/WindowCostMeasurement.h"
#include "host/app/Session.h"
#include "host/core/base/Log.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlSliceView.h"
#include "host/gl/GlSpline.h"
#include "host/gui/MainWindow.h"
#include "host/gui/ScriptHost.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/sources/SimulatedInstrument.h"
#include "host/stream/sources/SimulatedPhantom.h"
#include "host/stream/sources/SimulatedTracker.h"
#include "navigation/plugin/NavigationIds.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QThread>
#include <QTimer>

#include <fmt/core.h>

namespace Tesselon {
namespace {

// Long enough for the simulated tracker's first samples and the views' first frames.
constexpr int settleMilliseconds = 1500;

void processEventsFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// The dark look of a navigation workstation, for the whole application.
void useWorkstationLook()
{
    // Dark, as navigation rooms are kept dim and the views are black.
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(45, 47, 52));
    palette.setColor(QPalette::WindowText, QColor(220, 222, 226));
    palette.setColor(QPalette::Base, QColor(30, 31, 35));
    palette.setColor(QPalette::AlternateBase, QColor(45, 47, 52));
    palette.setColor(QPalette::Text, QColor(220, 222, 226));
    palette.setColor(QPalette::Button, QColor(55, 58, 64));
    palette.setColor(QPalette::ButtonText, QColor(220, 222, 226));
    palette.setColor(QPalette::Highlight, QColor(46, 120, 200));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(30, 31, 35));
    palette.setColor(QPalette::ToolTipText, QColor(220, 222, 226));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 122, 128));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 122, 128));
    QApplication::setPalette(palette);
}

// The example's planned path runs from the skin in front of the lesion, tilted towards the feet, into the
// lesion: the direction of advance in the volume.
const Eigen::Vector3d plannedDirection = Eigen::Vector3d(0.0, 0.9, -0.436).normalized();

// Where the volume truly lies in front of the simulated tracker: its phantom's beads on the divots the
// simulated pointer visits. The example starts registered this way; registering again only refines it.
Eigen::Affine3d volumeToTracker()
{
    return SimulatedPhantom::phantomToTracker() * SyntheticPhantom::divotPhantomPlacement().inverse();
}

// The plan as the navigation views take it, on the volume: a line for the bullseye view and the same path
// as a curve for the navigation rings. Saved with the workspace as lines drawn on the volume are.
void addPlannedPath(Session& session, const Eigen::Vector3d& entry, const Eigen::Vector3d& target)
{
    auto add = [&](std::unique_ptr<GlPointBasedAnnotation> path, const std::string& name) {
        path->setPoints({entry, target});
        session.addDrawnAnnotation(std::move(path), name);
    };
    add(std::make_unique<GlLine>(), "Planned line");
    add(std::make_unique<GlSpline>(), "Planned path");
}

// The registration pointer and the needle come calibrated, as a tool's definition file gives it, so the
// example can be registered and navigated at once: the tip at the origin, the needle's z axis up its shaft.
// The wizard calibrates the needle anew.
void calibrateAsDefined(TrackingStream& tracker)
{
    auto& calibrations = tracker.components().getOrCreate<InstrumentCalibrationDataComponent>();
    if (const auto pointer = SimulatedInstrument::create("Pointer", 0))
        calibrations.setCalibration(
            "Pointer", Eigen::Affine3d(Eigen::Translation3d(pointer->tipOffset())).matrix(), 0.0);
    if (const auto needle = SimulatedInstrument::create("Needle", 0)) {
        const Eigen::Quaterniond upTheShaft =
            Eigen::Quaterniond::FromTwoVectors(Eigen::Vector3d::UnitZ(), -needle->needleAxis());
        calibrations.setCalibration("Needle",
                                    (Eigen::Translation3d(needle->tipOffset()) * upTheShaft).matrix(), 0.0);
    }
}

// The session without a workspace: the synthetic volume (written to a temporary file, so a saved workspace
// can load it again) with a planned path into its lesion, the simulated tracker where the volume's phantom
// lies in front of it, its needle following the plan, and the slice views through the lesion.
void openExampleSession(Session& session, DisplayWidgetMulti& views)
{
    const Eigen::Vector3d lesion = SyntheticPhantom::lesionOffset();
    const std::string volumePath = QDir::temp().filePath("tesselon-synthetic-ct.mha").toStdString();
    ImageVolumeFile::write(*SyntheticPhantom::create(Eigen::Vector3d::Zero()), volumePath);
    session.openVolume(volumePath);
    TrackingStream* tracker = session.connectSimulatedTracker();
    const Eigen::Affine3d toTracker = volumeToTracker();
    tracker->setMatrix(toTracker.inverse().matrix());
    const Eigen::Vector3d entry = lesion - 80.0 * plannedDirection;
    addPlannedPath(session, entry, lesion);
    // The simulated needle follows the same plan where it lies in front of the tracker.
    if (auto* simulated = dynamic_cast<SimulatedTracker*>(tracker))
        simulated->setPlannedPath("Needle", {toTracker * entry, toTracker * lesion});
    views.centreSlicesAt(lesion);
    calibrateAsDefined(*tracker);
    Properties kalman;
    kalman.setParam(NavigationIds::SmoothedStream::mode, NavigationIds::SmoothedStream::kalmanFilter);
    session.createAlgorithm(NavigationIds::smoothedStream, {tracker}, &kalman);
}

// Writes the window's picture; false with a message on standard error when it cannot.
bool writeScreenshot(MainWindow& window, const std::string& path)
{
    const QImage image = window.screenshot();
    if (image.isNull() || !image.save(QString::fromStdString(path), "PNG")) {
        fmt::print(stderr, "tesselon gui: cannot write the screenshot {}.\n", path);
        return false;
    }
    fmt::print("Wrote a {} x {} picture of the window to {}.\n", image.width(), image.height(), path);
    return true;
}

// Runs the script inside the application's event loop, as the console does, so that what the panels
// defer runs during the script's waits; then the optional screenshot. Returns the exit code.
int runScript(MainWindow& window, const std::string& script, const std::string& screenshot)
{
    int code = 0;
    QTimer::singleShot(0, &window, [&] {
        const ScriptHost::Outcome outcome = window.scriptHost().runFile(QString::fromStdString(script));
        if (!outcome.ok)
            fmt::print(stderr, "{}\n", outcome.error.toStdString());
        code = outcome.ok ? outcome.exitCode.value_or(0) : 1;
        if (!screenshot.empty() && !writeScreenshot(window, screenshot) && code == 0)
            code = 1;
        QApplication::exit(code);
    });
    QApplication::exec();
    return code;
}

}  // namespace

GuiCommand::GuiCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "gui", "Open the main window: data, algorithm menus, panels, views and log")
{
    options().add_option("--screenshot", m_screenshot, "Write a PNG of the window once loaded, then quit");
    options().add_option("--workspace", m_workspace, "Open this workspace instead of the example session");
    options().add_option("--script", m_script,
                         "Run this JavaScript file on the window, then quit (see \"Scripting the window\")");
    options()
        .add_option("--measure", m_measureSeconds,
                    "Print the CPU use and each view's frame rate over this many seconds, then quit")
        ->check(CLI::PositiveNumber);
}

int GuiCommand::run()
{
    // The log view shows what the streams and algorithms report, connections included.
    Log::setMinimumLevel(Log::Info);
    if (m_measureSeconds > 0.0)
        WindowCostMeasurement::schedule(m_measureSeconds);
    return showWindow(context(), m_workspace, m_screenshot, m_script);
}

int GuiCommand::showWindow(HostContext& context, const std::string& workspace, const std::string& screenshot,
                           const std::string& script)
{
    useWorkstationLook();
    Session session(context.plugins().algorithmFactories());
    MainWindow window(session, context.plugins().controllerFactories());
    try {
        if (workspace.empty())
            openExampleSession(session, window.views());
        else
            session.openWorkspace(workspace);
    } catch (const std::exception& error) {
        fmt::print(stderr, "tesselon gui: {}\n", error.what());
        return 1;
    }
    window.show();
    if (!script.empty())
        return runScript(window, script, screenshot);
    if (screenshot.empty())
        return QApplication::exec();
    // The tracker and the views settle first.
    processEventsFor(settleMilliseconds);
    return writeScreenshot(window, screenshot) ? 0 : 1;
}

}  // namespace Tesselon
