#include "app/PluginsCommand.h"

#include "app/HostContext.h"
#include "app/JsonOutput.h"

#include <fmt/core.h>
#include <fmt/ranges.h>

namespace Tesselon {
namespace {

std::string markerFields(const PluginMarker& marker)
{
    std::vector<std::string> fields;
    for (const auto& [key, value] : marker.fields)
        fields.push_back(key + "=" + value);
    return fmt::format("{}", fmt::join(fields, ", "));
}

QJsonObject markerJson(const PluginMarker& marker)
{
    QJsonObject fields;
    for (const auto& [key, value] : marker.fields)
        fields[QString::fromStdString(key)] = QString::fromStdString(value);
    return QJsonObject{{"magic", QString::fromStdString(marker.magic)}, {"fields", fields}};
}

}  // namespace

PluginsCommand::PluginsCommand(CLI::App& program, HostContext& context)
    : Command(program, context, "plugins", "List the loaded plug-ins, and the refused ones with the reason")
{
    addJsonFlag();
}

int PluginsCommand::run()
{
    if (json())
        printJson();
    else
        printText();
    return 0;
}

void PluginsCommand::printText()
{
    PluginLoader& loader = context().plugins();
    fmt::print("Plug-in folders: {}\n\n", fmt::join(context().pluginFolders(), ", "));
    const auto loaded = loader.loaded();
    fmt::print("Loaded plug-ins ({}):\n", loaded.size());
    for (const auto& plugin : loaded) {
        fmt::print("  {}\n", plugin.id);
        fmt::print("    description:  {}\n", plugin.description);
        fmt::print("    author:       {}\n", plugin.author);
        fmt::print("    dependencies: {}\n", fmt::join(plugin.dependencies, ", "));
        fmt::print("    library:      {}\n", plugin.path);
        fmt::print("    marker:       {} | {}\n", plugin.marker.magic, markerFields(plugin.marker));
    }
    fmt::print("Refused plug-ins ({}):\n", loader.refused().size());
    for (const auto& refused : loader.refused())
        fmt::print("  {}\n", refused.reason);
}

void PluginsCommand::printJson()
{
    PluginLoader& loader = context().plugins();
    QJsonArray loaded;
    for (const auto& plugin : loader.loaded())
        loaded.append(QJsonObject{{"id", QString::fromStdString(plugin.id)},
                                  {"description", QString::fromStdString(plugin.description)},
                                  {"author", QString::fromStdString(plugin.author)},
                                  {"dependencies", JsonOutput::strings(plugin.dependencies)},
                                  {"library", QString::fromStdString(plugin.path)},
                                  {"marker", markerJson(plugin.marker)}});
    QJsonArray refused;
    for (const auto& plugin : loader.refused())
        refused.append(QJsonObject{{"library", QString::fromStdString(plugin.path)},
                                   {"reason", QString::fromStdString(plugin.reason)}});
    JsonOutput::print({{"folders", JsonOutput::strings(context().pluginFolders())},
                       {"loaded", loaded},
                       {"refused", refused}});
}

}  // namespace Tesselon
