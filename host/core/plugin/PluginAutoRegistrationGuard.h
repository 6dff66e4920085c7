#pragma once

#include <string>
#include <vector>

namespace Tesselon {

/// Constructed by a plug-in library's static initialisers and destroyed at unload, so the host
/// knows which plug-in ids are present in the process at any time.
class PluginAutoRegistrationGuard
{
public:
    using IdFunction = const char* (*)();

    explicit PluginAutoRegistrationGuard(IdFunction pluginId);
    ~PluginAutoRegistrationGuard();
    PluginAutoRegistrationGuard(const PluginAutoRegistrationGuard&) = delete;
    PluginAutoRegistrationGuard& operator=(const PluginAutoRegistrationGuard&) = delete;

    /// The ids of the plug-in libraries loaded now, in load order.
    static std::vector<std::string> registeredPluginIds();

private:
    std::string m_id;
};

}  // namespace Tesselon
