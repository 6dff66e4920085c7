#include "app/HostContext.h"

namespace Tesselon {

HostContext::HostContext(std::string programFolder)
    : m_pluginFolders(PluginLoader::defaultFolders(programFolder))
{
}

PluginLoader& HostContext::plugins()
{
    if (!m_loader) {
        m_loader = std::make_unique<PluginLoader>();
        m_loader->loadFolders(m_pluginFolders);
    }
    return *m_loader;
}

}  // namespace Tesselon
