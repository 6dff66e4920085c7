#include "host/core/Algorithm.h"
#include "host/core/PluginAutoRegistrationGuard.h"
#include "host/core/PluginLoader.h"

#include <QFile>

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace Tesselon;
using testing::Contains;
using testing::Not;

namespace {

const std::string pluginPath = std::string(TESSELON_PLUGIN_DIR) + "/libTesselonNavigation.so";

const char* const resourcePaths[] = {
    ":/Navigation/Sphere.obj",
    ":/Navigation/ToolCalibration/pivoting.gif",
    ":/Navigation/ToolCalibration/flip.gif",
    ":/Navigation/ToolCalibration/rotation.gif",
    ":/Navigation/ToolCalibration/dip.gif",
};

class ForeignAlgorithm : public Algorithm
{
public:
    void compute() override {}
};

}  // namespace

TEST(NavigationPlugin, ExportsTheMarkerStringByteExactAndItsId)
{
    void* handle = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    const auto* marker = static_cast<const char* const*>(dlsym(handle, "tesselonPluginDescriptor"));
    ASSERT_NE(marker, nullptr);
    EXPECT_STREQ(
        *marker,
        "__TESSELON_PLUGIN_V2_MAGIC_STRING__|hostversion=4.4.6|buildflags=GLIBCXX_DEBUG:_GLIBCXX_DEBUG|"
        "pluginversion=");
    const auto id = reinterpret_cast<const char* (*)()>(dlsym(handle, "tesselonPluginId"));
    ASSERT_NE(id, nullptr);
    EXPECT_STREQ(id(), "Tesselon.Navigation");
    EXPECT_NE(dlsym(handle, "tesselonCreatePlugin"), nullptr);
    dlclose(handle);
}

TEST(NavigationPlugin, LoadsThroughTheHostAndHandsOverBothFactories)
{
    PluginLoader loader;
    loader.loadFiles({pluginPath});
    const auto loaded = loader.loaded();
    ASSERT_EQ(loaded.size(), 1u);
    const auto& plugin = loaded.front();
    EXPECT_EQ(plugin.id, "Tesselon.Navigation");
    EXPECT_EQ(plugin.description, "Plugin for real-time navigation and visualization of tracking tools");
    EXPECT_EQ(plugin.author, "Tesselon Navigation");
    EXPECT_EQ(plugin.dependencies, std::vector<std::string>{"Tesselon.Stream"});

    ASSERT_EQ(loader.algorithmFactories().size(), 1u);
    EXPECT_EQ(loader.algorithmFactories()[0]->name(), "Navigation");
    EXPECT_FALSE(loader.algorithmFactories()[0]->isInternal());
    ASSERT_EQ(loader.controllerFactories().size(), 1u);
    const AlgorithmControllerFactory& controllers = *loader.controllerFactories()[0];
    EXPECT_EQ(controllers.name(), "Navigation");
    ForeignAlgorithm foreign;
    EXPECT_EQ(controllers.create(nullptr), nullptr);
    EXPECT_EQ(controllers.create(&foreign), nullptr);
}

TEST(NavigationPlugin, ResourcesAndRegistrationLiveExactlyAsLongAsTheLibrary)
{
    {
        PluginLoader loader;
        loader.loadFiles({pluginPath});
        EXPECT_THAT(PluginAutoRegistrationGuard::registeredPluginIds(), Contains("Tesselon.Navigation"));
        for (const char* path : resourcePaths)
            EXPECT_TRUE(QFile::exists(path)) << path;
    }
    EXPECT_THAT(PluginAutoRegistrationGuard::registeredPluginIds(), Not(Contains("Tesselon.Navigation")));
    for (const char* path : resourcePaths)
        EXPECT_FALSE(QFile::exists(path)) << path;
}
