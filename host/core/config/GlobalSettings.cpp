#include "host/core/config/GlobalSettings.h"

namespace Tesselon {

GlobalSettings& GlobalSettings::instance()
{
    static GlobalSettings settings;
    return settings;
}

std::optional<Properties> GlobalSettings::settingsFor(std::string_view algorithmId) const
{
    std::lock_guard lock(m_mutex);
    if (const Properties* stored = m_settings.subProperty(algorithmId))
        return *stored;
    return std::nullopt;
}

void GlobalSettings::setSettingsFor(std::string_view algorithmId, const Properties& settings)
{
    std::lock_guard lock(m_mutex);
    if (Properties* stored = m_settings.subProperty(algorithmId))
        m_settings.removeSubProperties(stored);
    m_settings.addSubProperties(settings)->setName(std::string(algorithmId));
}

void GlobalSettings::clear()
{
    std::lock_guard lock(m_mutex);
    m_settings.clear();
}

}  // namespace Tesselon
