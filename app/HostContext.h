#pragma once

#include "host/core/plugin/PluginLoader.h"

#include <memory>
#include <string>

namespace Tesselon {

/// What every command of the program shares: where the program lives and the plug-ins it loaded.
class HostContext
{
public:
    explicit HostContext(std::string programFolder);

    /// The plug-in loader, loading the plug-in folders on first use.
    PluginLoader& plugins();
    const std::vector<std::string>& pluginFolders() const { return m_pluginFolders; }

private:
    std::vector<std::string> m_pluginFolders;
    std::unique_ptr<PluginLoader> m_loader;
};

}  // namespace Tesselon
