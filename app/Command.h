#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace Tesselon {

class HostContext;

/// One sub-command of the program: it declares its options on construction and runs when chosen.
class Command
{
public:
    Command(CLI::App& program, HostContext& context, const std::string& name, const std::string& description);
    virtual ~Command() = default;

    bool isChosen() const { return m_command->parsed(); }
    /// Runs the command; the program's exit code.
    virtual int run() = 0;

protected:
    CLI::App& options() { return *m_command; }
    HostContext& context() { return m_context; }
    /// Adds the --json flag of commands that report results.
    void addJsonFlag() { m_command->add_flag("--json", m_json, "Print one JSON object on standard output"); }
    bool json() const { return m_json; }

private:
    CLI::App* m_command;
    HostContext& m_context;
    bool m_json = false;
};

}  // namespace Tesselon
