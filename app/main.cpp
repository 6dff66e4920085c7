// The tesselon program: loads the plug-ins and runs one command on them.
#include "app/AlgorithmsCommand.h"
#include "app/CalibrateCommand.h"
#include "app/DemoCommand.h"
#include "app/GuiCommand.h"
#include "app/HostContext.h"
#include "app/PluginsCommand.h"
#include "app/RegisterCommand.h"
#include "app/StreamCommand.h"
#include "host/core/base/Log.h"

#include <QApplication>
#include <QCoreApplication>

#include <fmt/core.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The command the arguments choose: the first that is not an option, as the program's own options take
// no values.
std::string_view chosenCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-')
            return argv[i];
    return {};
}

bool hasArgument(int argc, char** argv, std::string_view argument)
{
    return std::any_of(argv + 1, argv + argc, [&](const char* given) { return given == argument; });
}

// Only the window needs a display; every other command, and help on any, runs without one.
bool needsWindow(int argc, char** argv)
{
    if (hasArgument(argc, argv, "-h") || hasArgument(argc, argv, "--help"))
        return false;
    const std::string_view command = chosenCommand(argc, argv);
    return command == "gui" || (command == "demo" && hasArgument(argc, argv, "--gui"));
}

std::vector<std::pair<QtMsgType, QString>> deferredQtMessages;

// Qt gives up on a missing display with several lines about platform plug-ins and an abort; we say it in
// one sentence and exit. Its other messages meanwhile wait until the display is known to be there.
void refuseWithoutDisplay(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg) {
        deferredQtMessages.emplace_back(type, message);
        return;
    }
    const char* display = std::getenv("DISPLAY");
    fmt::print(
        stderr,
        "tesselon: the window needs a display and none could be opened ({}); run it on a desktop or "
        "under xvfb-run.\n",
        display && *display ? fmt::format("DISPLAY is {}", display) : std::string("DISPLAY is not set"));
    std::_Exit(1);
}

std::unique_ptr<QCoreApplication> openWindowSystem(int& argc, char** argv)
{
    const QtMessageHandler previous = qInstallMessageHandler(refuseWithoutDisplay);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const auto& [type, message] : deferredQtMessages)
        qt_message_output(type, QMessageLogContext(), message);
    deferredQtMessages.clear();
    return application;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace Tesselon;
    const std::unique_ptr<QCoreApplication> application =
        needsWindow(argc, argv) ? openWindowSystem(argc, argv)
                                : std::make_unique<QCoreApplication>(argc, argv);
    HostContext context(QCoreApplication::applicationDirPath().toStdString());

    CLI::App program("Tesselon: surgical navigation on live tracking data.", "tesselon");
    program.require_subcommand(1);
    bool verbose = false;
    program.add_flag("-v,--verbose", verbose, "Log information messages too");

    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<DemoCommand>(program, context));
    commands.push_back(std::make_unique<PluginsCommand>(program, context));
    commands.push_back(std::make_unique<AlgorithmsCommand>(program, context));
    commands.push_back(std::make_unique<StreamCommand>(program, context));
    commands.push_back(std::make_unique<CalibrateCommand>(program, context));
    commands.push_back(std::make_unique<RegisterCommand>(program, context));
    commands.push_back(std::make_unique<GuiCommand>(program, context));

    const auto isCommand = [&](const std::string& name) {
        const auto names =
            program.get_subcommands([&](CLI::App* command) { return command->get_name() == name; });
        return !names.empty();
    };
    if (argc > 1 && argv[1][0] != '-' && !isCommand(argv[1])) {
        fmt::print(stderr, "tesselon: '{}' is not a command (see 'tesselon --help').\n", argv[1]);
        return 2;
    }
    try {
        program.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return program.exit(success);
    } catch (const CLI::ParseError& error) {
        fmt::print(stderr, "tesselon: {} (see 'tesselon --help').\n", error.what());
        return 2;
    }

    Log::setMinimumLevel(verbose ? Log::Info : Log::Warning);
    for (const auto& command : commands)
        if (command->isChosen())
            return command->run();
    return 2;
}
