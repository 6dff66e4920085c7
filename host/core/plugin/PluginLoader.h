#pragma once

#include "host/core/model/AlgorithmControllerFactory.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/plugin/PluginMarker.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Tesselon {

/// Finds plug-in libraries, checks their marker string against this host, starts them in dependency
/// order and keeps the factories they register. A library that does not fit is refused with one logged
/// sentence and the others keep loading. Everything a plug-in created must be destroyed before the
/// loader, which unloads the libraries.
class PluginLoader
{
public:
    static constexpr std::string_view hostVersion = "4.4.6";
    /// Plug-in ids the host itself provides to plug-ins that depend on them.
    static const std::vector<std::string>& hostProvidedPluginIds();
    /// The plug-in folder next to the program (`<program folder>/../plugins`), then each folder of
    /// the colon-separated TESSELON_PLUGIN_PATH.
    static std::vector<std::string> defaultFolders(const std::string& programFolder);

    struct PluginInfo
    {
        std::string path;
        std::string id;
        std::string author;
        std::string description;
        std::vector<std::string> dependencies;
        PluginMarker marker;
    };

    struct RefusedPlugin
    {
        std::string path;
        std::string reason;  ///< the sentence that was logged
    };

    PluginLoader();
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    /// Loads every shared library (*.so) of these folders, in name order within a folder.
    void loadFolders(const std::vector<std::string>& folders);
    /// Loads these libraries; a plug-in waits for the ones it depends on among them.
    void loadFiles(const std::vector<std::string>& paths);

    std::vector<PluginInfo> loaded() const;
    const std::vector<RefusedPlugin>& refused() const { return m_refused; }

    std::vector<AlgorithmFactory*> algorithmFactories() const;
    std::vector<AlgorithmControllerFactory*> controllerFactories() const;

private:
    struct Library;

    std::unique_ptr<Library> open(const std::string& path);
    bool isKnownId(const std::string& id) const;
    void startInDependencyOrder(std::vector<std::unique_ptr<Library>> pending);
    bool instantiate(Library& library);
    bool initialise(Library& library);
    void refuse(const std::string& path, const std::string& reason);

    std::vector<std::unique_ptr<Library>> m_libraries;
    std::vector<RefusedPlugin> m_refused;
};

}  // namespace Tesselon
