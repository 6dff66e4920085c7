#pragma once

#include "app/Command.h"

#include <string>

namespace Tesselon {

/// `tesselon gui`: the main window. Without a workspace it opens a session to look at: a synthetic CT
/// volume and the simulated tracker placed inside it. `--screenshot FILE` renders the window once
/// everything is loaded, writes a PNG and quits. `--script FILE.js` runs the script on the window once it
/// is up, then quits: a script error is printed as "FILE:LINE: message" and fails the program.
/// `--measure SECONDS` prints what the window costs.
class GuiCommand : public Command
{
public:
    GuiCommand(CLI::App& program, HostContext& context);
    int run() override;

    /// Opens the main window on a new session with this workspace, or without one on the example
    /// session; with a script, runs it and returns; with a screenshot path, writes the window's picture
    /// there (after the script) and returns instead of running the window. Returns the exit code.
    static int showWindow(HostContext& context, const std::string& workspace, const std::string& screenshot,
                          const std::string& script = {});

private:
    std::string m_screenshot;
    std::string m_script;
    std::string m_workspace;
    double m_measureSeconds = 0.0;
};

}  // namespace Tesselon
