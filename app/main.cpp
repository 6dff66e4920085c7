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

#include <memory>
#include <string_view>
#include <vector>

int main(int argc, char** argv)
{
    using namespace Tesselon;
    // Only the window needs a display; every other command runs without one.
    const bool needsWidgets = [&] {
        for (int i = 1; i < argc; ++i)
            if (std::string_view(argv[i]) == "gui" || std::string_view(argv[i]) == "--gui")
                return true;
        return false;
    }();
    const std::unique_ptr<QCoreApplication> application =
        needsWidgets ? std::make_unique<QApplication>(argc, argv)
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
