#include "app/Command.h"

namespace Tesselon {

Command::Command(CLI::App& program, HostContext& context, const std::string& name,
                 const std::string& description)
    : m_command(program.add_subcommand(name, description)), m_context(context)
{
}

}  // namespace Tesselon
