#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tesselon {

/// The marker string a plug-in library exports: a magic token, then "key=value" fields separated by
/// vertical bars, for example "__TESSELON_PLUGIN_V2_MAGIC_STRING__|hostversion=4.4.6|pluginversion=".
struct PluginMarker
{
    static constexpr std::string_view magicToken = "__TESSELON_PLUGIN_V2_MAGIC_STRING__";

    std::string magic;
    std::vector<std::pair<std::string, std::string>> fields;

    /// Splits a marker string; a field without "=" is an error (nullopt).
    static std::optional<PluginMarker> parse(std::string_view text);

    std::optional<std::string> field(std::string_view key) const;
};

}  // namespace Tesselon
