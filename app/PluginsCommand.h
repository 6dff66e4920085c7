#pragma once

#include "app/Command.h"

namespace Tesselon {

/// `tesselon plugins`: each loaded plug-in with its identity and marker, each refused one with why.
class PluginsCommand : public Command
{
public:
    PluginsCommand(CLI::App& program, HostContext& context);
    int run() override;

private:
    void printText();
    void printJson();
};

}  // namespace Tesselon
