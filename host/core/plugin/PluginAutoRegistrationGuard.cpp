#include "host/core/plugin/PluginAutoRegistrationGuard.h"

#include <algorithm>
#include <mutex>

namespace Tesselon {
namespace {

struct Registry
{
    std::mutex mutex;
    std::vector<std::string> ids;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

}  // namespace

PluginAutoRegistrationGuard::PluginAutoRegistrationGuard(IdFunction pluginId)
    : m_id(pluginId ? pluginId() : "")
{
    std::lock_guard lock(registry().mutex);
    registry().ids.push_back(m_id);
}

PluginAutoRegistrationGuard::~PluginAutoRegistrationGuard()
{
    std::lock_guard lock(registry().mutex);
    auto& ids = registry().ids;
    if (const auto found = std::find(ids.begin(), ids.end(), m_id); found != ids.end())
        ids.erase(found);
}

std::vector<std::string> PluginAutoRegistrationGuard::registeredPluginIds()
{
    std::lock_guard lock(registry().mutex);
    return registry().ids;
}

}  // namespace Tesselon
