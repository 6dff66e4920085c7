#pragma once

#include "app/Command.h"

namespace Tesselon {

/// `tesselon algorithms`: every offered algorithm with its full id and menu path, by category.
class AlgorithmsCommand : public Command
{
public:
    AlgorithmsCommand(CLI::App& program, HostContext& context);
    int run() override;
};

}  // namespace Tesselon
