#pragma once

#include "app/Command.h"

#include <string>

namespace Tesselon {

class MainWindow;

/// `tesselon gui`: the main window. Without a workspace it opens a session to look at: a synthetic CT
/// volume and the simulated tracker placed inside it. `--screenshot FILE` renders the window once
/// everything is loaded, writes a PNG and quits.
class GuiCommand : public Command
{
public:
    GuiCommand(CLI::App& program, HostContext& context);
    int run() override;

    /// The session without a workspace: the synthetic volume (written to a temporary file, so a saved
    /// workspace can load it again) and the simulated tracker, moved so that its tools are in the volume.
    static void openExampleSession(MainWindow& window);
    /// The dark look of a navigation workstation, for the whole application.
    static void useWorkstationLook();
    /// Lets the tracker and the views settle, then writes the window's picture; false with a message on
    /// standard error when it cannot.
    static bool writeScreenshot(MainWindow& window, const std::string& path);

private:
    std::string m_screenshot;
    std::string m_workspace;
};

}  // namespace Tesselon
