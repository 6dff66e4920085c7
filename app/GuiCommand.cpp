#include "app/GuiCommand.h"

#include "app/HostContext.h"
#include "app/SyntheticPhantom.h"
#include "app/WindowCostMeasurement.h"
#include "host/app/Session.h"
#include "host/core/base/Log.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlSliceView.h"
#include "host/gui/MainWindow.h"
#include "host/gui/ScriptHost.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/sources/SimulatedInstrument.h"
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

Eigen::Vector3d meanToolPosition(const TrackingStream& stream)
{
    Eigen::Vector3d sum = Eigen::Vector3d::Zero();
    int count = 0;
    for (const TrackingInstrument& instrument : stream.instruments())
        if (instrument.visible) {
            sum += instrument.matrix.topRightCorner<3, 1>();
            ++count;
        }
    return count ? Eigen::Vector3d(sum / count) : Eigen::Vector3d::Zero();
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

// The session without a workspace: the synthetic volume (written to a temporary file, so a saved workspace
// can load it again) and the simulated tracker moved so that its tools are in the volume, with the slice
// views through the lesion.
void openExampleSession(Session& session, DisplayWidgetMulti& views)
{
    const Eigen::Vector3d centre = Eigen::Vector3d::Zero();
    const std::string volumePath = QDir::temp().filePath("tesselon-synthetic-ct.mha").toStdString();
    ImageVolumeFile::write(*SyntheticPhantom::create(centre), volumePath);
    session.openVolume(volumePath);
    TrackingStream* tracker = session.connectSimulatedTracker();
    processEventsFor(200);
    // Stands in for a registration: the tracker's working volume is moved onto the lesion.
    Eigen::Matrix4d trackerToWorld = Eigen::Matrix4d::Identity();
    trackerToWorld.topRightCorner<3, 1>() =
        centre + SyntheticPhantom::lesionOffset() - meanToolPosition(*tracker);
    tracker->setMatrix(trackerToWorld);
    // The slice views cut through the lesion, where the tools work.
    const Eigen::Vector3d lesion = centre + SyntheticPhantom::lesionOffset();
    views.centreSlicesAt(lesion);
    // The registration pointer comes with its tip calibrated, as a tool's definition file gives it.
    if (const auto pointer = SimulatedInstrument::create("Pointer", 0))
        tracker->components().getOrCreate<InstrumentCalibrationDataComponent>().setCalibration(
            "Pointer", Eigen::Affine3d(Eigen::Translation3d(pointer->tipOffset())).matrix(), 0.0);
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
