#include "host/core/plugin/PluginMarker.h"

#include <algorithm>

namespace Tesselon {

std::optional<PluginMarker> PluginMarker::parse(std::string_view text)
{
    PluginMarker marker;
    std::size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        const std::size_t bar = std::min(text.find('|', start), text.size());
        const std::string_view part = text.substr(start, bar - start);
        if (first) {
            marker.magic = part;
            first = false;
        } else {
            const std::size_t equals = part.find('=');
            if (equals == std::string_view::npos)
                return std::nullopt;
            marker.fields.emplace_back(part.substr(0, equals), part.substr(equals + 1));
        }
        start = bar + 1;
    }
    return marker;
}

std::optional<std::string> PluginMarker::field(std::string_view key) const
{
    const auto found =
        std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == key; });
    return found == fields.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace Tesselon
