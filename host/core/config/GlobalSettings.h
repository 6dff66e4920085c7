#pragma once

#include "host/core/config/Properties.h"

#include <mutex>
#include <optional>
#include <string_view>

namespace Tesselon {

/// Process-wide settings: one sub-properties entry per algorithm id, applied to I/O algorithms when
/// the host creates them (for example default folders). Any thread may read or change them.
class GlobalSettings
{
public:
    static GlobalSettings& instance();

    /// A copy of the settings stored for this algorithm id, if any.
    std::optional<Properties> settingsFor(std::string_view algorithmId) const;
    /// Replaces the settings stored for this algorithm id.
    void setSettingsFor(std::string_view algorithmId, const Properties& settings);
    void clear();

private:
    mutable std::mutex m_mutex;
    Properties m_settings{"GlobalSettings"};
};

}  // namespace Tesselon
