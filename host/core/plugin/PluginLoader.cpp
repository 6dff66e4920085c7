#include "host/core/plugin/PluginLoader.h"

#include "host/core/base/Log.h"
#include "host/core/plugin/TesselonLibPlugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <sstream>

namespace Tesselon {
namespace {

constexpr std::string_view category = "PluginLoader";

using CreateFunction = PluginBase* (*)();
using IdFunction = const char* (*)();

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string dynamicLoaderError()
{
    const char* error = dlerror();
    return error ? error : "unknown error";
}

std::vector<std::string> librariesIn(const std::string& folder)
{
    std::vector<std::string> libraries;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().extension() == ".so")
            libraries.push_back(entry.path().string());
    std::sort(libraries.begin(), libraries.end());
    return libraries;
}

}  // namespace

struct PluginLoader::Library
{
    void* handle = nullptr;
    PluginInfo info;
    CreateFunction create = nullptr;
    std::unique_ptr<PluginBase> plugin;
    TesselonLibPlugin::Factories factories;

    ~Library()
    {
        // The factories' and the plug-in's code lives in the library: destroy them before unloading it.
        factories = {};
        plugin.reset();
        if (handle)
            dlclose(handle);
    }
};

const std::vector<std::string>& PluginLoader::hostProvidedPluginIds()
{
    static const std::vector<std::string> ids{"Tesselon.Stream"};
    return ids;
}

std::vector<std::string> PluginLoader::defaultFolders(const std::string& programFolder)
{
    std::vector<std::string> folders{
        (std::filesystem::path(programFolder) / ".." / "plugins").lexically_normal()};
    if (const char* extra = std::getenv("TESSELON_PLUGIN_PATH")) {
        std::istringstream stream(extra);
        for (std::string folder; std::getline(stream, folder, ':');)
            if (!folder.empty())
                folders.push_back(folder);
    }
    return folders;
}

PluginLoader::PluginLoader() = default;

PluginLoader::~PluginLoader()
{
    // Unload in reverse order, so no plug-in outlives one it depends on.
    while (!m_libraries.empty())
        m_libraries.pop_back();
}

void PluginLoader::loadFolders(const std::vector<std::string>& folders)
{
    std::vector<std::string> paths;
    for (const std::string& folder : folders) {
        const auto libraries = librariesIn(folder);
        paths.insert(paths.end(), libraries.begin(), libraries.end());
    }
    loadFiles(paths);
}

void PluginLoader::loadFiles(const std::vector<std::string>& paths)
{
    std::vector<std::unique_ptr<Library>> pending;
    for (const std::string& path : paths) {
        auto library = open(path);
        if (!library)
            continue;
        const bool duplicate = isKnownId(library->info.id) ||
                               std::any_of(pending.begin(), pending.end(), [&](const auto& other) {
                                   return other->info.id == library->info.id;
                               });
        if (duplicate) {
            refuse(path, "Plug-in library " + path + " was refused: a plug-in with the id " +
                             inQuotes(library->info.id) + " is already loaded.");
            continue;
        }
        pending.push_back(std::move(library));
    }
    startInDependencyOrder(std::move(pending));
}

std::unique_ptr<PluginLoader::Library> PluginLoader::open(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        refuse(path, "Plug-in library " + path + " cannot be opened: " + dynamicLoaderError() + ".");
        return nullptr;
    }
    auto library = std::make_unique<Library>();
    library->handle = handle;
    library->info.path = path;

    const auto* descriptor = static_cast<const char* const*>(dlsym(handle, "tesselonPluginDescriptor"));
    if (!descriptor || !*descriptor) {
        refuse(path,
               "Library " + path + " is not a plug-in of this host: it exports no tesselonPluginDescriptor.");
        return nullptr;
    }
    const auto marker = PluginMarker::parse(*descriptor);
    if (!marker || marker->magic != PluginMarker::magicToken) {
        refuse(path, "Plug-in library " + path + " was refused: its marker " + inQuotes(*descriptor) +
                         " does not start with the magic token " + inQuotes(PluginMarker::magicToken) + ".");
        return nullptr;
    }
    library->info.marker = *marker;
    const std::string builtFor = marker->field("hostversion").value_or("");
    if (builtFor != hostVersion) {
        refuse(path, "Plug-in library " + path + " was refused: it was built for host version " +
                         inQuotes(builtFor) + ", but this host is version " + std::string(hostVersion) + ".");
        return nullptr;
    }
    const auto pluginId = reinterpret_cast<IdFunction>(dlsym(handle, "tesselonPluginId"));
    library->create = reinterpret_cast<CreateFunction>(dlsym(handle, "tesselonCreatePlugin"));
    if (!pluginId || !library->create) {
        refuse(path, "Plug-in library " + path +
                         " was refused: it does not export both tesselonPluginId and tesselonCreatePlugin.");
        return nullptr;
    }
    library->info.id = pluginId() ? pluginId() : "";
    return library;
}

bool PluginLoader::isKnownId(const std::string& id) const
{
    const auto& provided = hostProvidedPluginIds();
    return std::find(provided.begin(), provided.end(), id) != provided.end() ||
           std::any_of(m_libraries.begin(), m_libraries.end(),
                       [&](const auto& l) { return l->info.id == id; });
}

void PluginLoader::startInDependencyOrder(std::vector<std::unique_ptr<Library>> pending)
{
    // A plug-in names its dependencies only once created, so create every candidate first.
    std::erase_if(pending, [this](auto& library) { return !instantiate(*library); });
    bool progress = true;
    while (progress) {
        progress = false;
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            const auto& dependencies = (*it)->info.dependencies;
            if (!std::all_of(dependencies.begin(), dependencies.end(),
                             [this](auto& id) { return isKnownId(id); }))
                continue;
            auto library = std::move(*it);
            pending.erase(it);
            if (initialise(*library))
                m_libraries.push_back(std::move(library));
            progress = true;
            break;
        }
    }
    for (const auto& library : pending) {
        const auto& dependencies = library->info.dependencies;
        const auto missing = *std::find_if(dependencies.begin(), dependencies.end(),
                                           [this](auto& id) { return !isKnownId(id); });
        refuse(library->info.path, "Plug-in " + library->info.id + " (" + library->info.path +
                                       ") was refused: it depends on the plug-in " + inQuotes(missing) +
                                       ", which is not loaded.");
    }
}

bool PluginLoader::instantiate(Library& library)
{
    try {
        library.plugin.reset(library.create());
        if (!library.plugin) {
            refuse(library.info.path,
                   "Plug-in " + library.info.id + " failed to start: it created no plug-in object.");
            return false;
        }
        library.info.author = library.plugin->author();
        library.info.description = library.plugin->description();
        library.info.dependencies = library.plugin->dependencies();
        return true;
    } catch (const std::exception& error) {
        refuse(library.info.path, "Plug-in " + library.info.id + " failed to start: " + error.what());
        return false;
    }
}

bool PluginLoader::initialise(Library& library)
{
    const std::string failure = "Plug-in " + library.info.id + " failed to start: ";
    try {
        if (const int result = library.plugin->init(); result != 0) {
            refuse(library.info.path, failure + "init returned " + std::to_string(result) + ".");
            return false;
        }
    } catch (const std::exception& error) {
        refuse(library.info.path, failure + error.what());
        return false;
    }
    if (auto* libPlugin = dynamic_cast<TesselonLibPlugin*>(library.plugin.get()))
        library.factories = libPlugin->takeFactories();
    Log::log(Log::Info, category, "Loaded plug-in " + library.info.id + " from " + library.info.path + ".");
    return true;
}

void PluginLoader::refuse(const std::string& path, const std::string& reason)
{
    Log::log(Log::Warning, category, reason);
    m_refused.push_back({path, reason});
}

std::vector<PluginLoader::PluginInfo> PluginLoader::loaded() const
{
    std::vector<PluginInfo> infos;
    for (const auto& library : m_libraries)
        infos.push_back(library->info);
    return infos;
}

std::vector<AlgorithmFactory*> PluginLoader::algorithmFactories() const
{
    std::vector<AlgorithmFactory*> factories;
    for (const auto& library : m_libraries)
        if (library->factories.algorithms)
            factories.push_back(library->factories.algorithms.get());
    return factories;
}

std::vector<AlgorithmControllerFactory*> PluginLoader::controllerFactories() const
{
    std::vector<AlgorithmControllerFactory*> factories;
    for (const auto& library : m_libraries)
        if (library->factories.controllers)
            factories.push_back(library->factories.controllers.get());
    return factories;
}

}  // namespace Tesselon
