#pragma once

#include "app/Command.h"

#include <string>

namespace Tesselon {

/// `tesselon demo`: the main job on built-in data, telling a newcomer what happened at each step.
class DemoCommand : public Command
{
public:
    DemoCommand(CLI::App& program, HostContext& context);
    int run() override;

private:
    bool showPlugins();
    void showAlgorithms();
    void showResources();
    void showSmoothing();
    void showCalibration();
    void showRegistration();
    void showBullseyeNavigation();
    void showSharing();
    int showWindow();

    bool m_gui = false;
    std::string m_screenshot;
};

}  // namespace Tesselon
