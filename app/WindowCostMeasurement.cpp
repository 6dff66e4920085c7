#include "app/WindowCostMeasurement.h"

#include "host/gl/DisplayWidgetMulti.h"
#include "host/gui/DisplayWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <fmt/core.h>

#include <array>
#include <ctime>
#include <memory>

namespace Tesselon {
namespace {

// Long enough for the tracker, the smoothing and the first frames to be past their start-up work.
constexpr int settleMilliseconds = 3000;
constexpr std::array<const char*, 4> viewNames{"3D", "Axial", "Coronal", "Sagittal"};

DisplayWidget* shownDisplay()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* display = window->findChild<DisplayWidget*>())
            return display;
    return nullptr;
}

std::array<GlView*, 4> viewsOf(DisplayWidget& display)
{
    DisplayWidgetMulti& model = *display.model();
    return {model.view3D(), model.viewSlice(0), model.viewSlice(1), model.viewSlice(2)};
}

double processSeconds()
{
    // CPU time of every thread of the program: the trackers' and the renderers' too.
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// The counts at the start of the interval, and the report at its end.
struct Interval
{
    DisplayWidget* display;
    QElapsedTimer wall;
    double cpuSeconds = processSeconds();
    std::array<long long, 4> frames{};

    explicit Interval(DisplayWidget* shown) : display(shown)
    {
        const auto views = viewsOf(*display);
        for (std::size_t index = 0; index < views.size(); ++index)
            frames[index] = display->frameCount(views[index]);
        wall.start();
    }

    void report() const
    {
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        fmt::print("Over {:.1f} s the program used {:.2f} cores; frames per second:", seconds,
                   (processSeconds() - cpuSeconds) / seconds);
        const auto views = viewsOf(*display);
        for (std::size_t index = 0; index < views.size(); ++index)
            fmt::print(" {} {:.1f}", viewNames[index],
                       static_cast<double>(display->frameCount(views[index]) - frames[index]) / seconds);
        fmt::print(".\n");
    }
};

}  // namespace

void WindowCostMeasurement::schedule(double seconds)
{
    QTimer::singleShot(settleMilliseconds, [seconds] {
        DisplayWidget* display = shownDisplay();
        if (!display) {
            fmt::print(stderr, "tesselon gui: there is no display to measure.\n");
            QApplication::exit(1);
            return;
        }
        auto interval = std::make_shared<Interval>(display);
        QTimer::singleShot(static_cast<int>(seconds * 1000.0), [interval] {
            interval->report();
            QApplication::exit(0);
        });
    });
}

}  // namespace Tesselon
