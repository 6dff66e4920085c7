#include "host/core/model/Algorithm.h"
#include "host/core/model/SharedImageSet.h"
#include "host/core/plugin/PluginAutoRegistrationGuard.h"
#include "host/core/plugin/PluginLoader.h"
#include "host/stream/TrackingSequence.h"
#include "navigation/plugin/NavigationIds.h"
#include "tests/support/ManualTrackingStream.h"

#include <QDirIterator>

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace Tesselon;
using testing::Contains;
using testing::Not;

namespace {

const std::string pluginPath = std::string(TESSELON_PLUGIN_DIR) + "/libTesselonNavigation.so";

/// The files the plug-in's compiled-in resources hold (the exact tree is the resource tests' business).
int navigationResourceCount()
{
    int count = 0;
    for (QDirIterator files(":/Navigation", QDir::Files, QDirIterator::Subdirectories); files.hasNext();
         files.next())
        ++count;
    return count;
}

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

// Its resources and registration live exactly as long as the library.
TEST(NavigationPlugin, LoadsThroughTheHostAndHandsOverBothFactoriesUntilUnloaded)
{
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

        EXPECT_THAT(PluginAutoRegistrationGuard::registeredPluginIds(), Contains("Tesselon.Navigation"));
        EXPECT_EQ(navigationResourceCount(), 5);
    }
    EXPECT_THAT(PluginAutoRegistrationGuard::registeredPluginIds(), Not(Contains("Tesselon.Navigation")));
    EXPECT_EQ(navigationResourceCount(), 0);
}

// What the menus offer for a selection, exactly as the compatibility functions answer.
TEST(NavigationPlugin, OffersEachAlgorithmForExactlyTheSelectionsItWorksOn)
{
    PluginLoader loader;
    loader.loadFiles({pluginPath});
    ASSERT_EQ(loader.algorithmFactories().size(), 1u);
    const AlgorithmFactory& factory = *loader.algorithmFactories()[0];
    Tesselon::Test::ManualTrackingStream stream, other;
    SharedImageSet volume({2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f));
    SharedImageSet slice({2, 2, 1}, Eigen::Vector3d(1, 1, 1), std::vector<float>(4, 0.0f));
    TrackingSequence a(TrackerID("A")), b(TrackerID("B")), c(TrackerID("C"));

    using namespace NavigationIds;
    const std::string_view streamAlone[] = {combinedStream, smoothedStream, toolNavigationVisualization,
                                            toolVisualization, toolCalibrationWizard};
    const std::string_view streamAndVolume[] = {bullseyeVisualization, liveTrackingPointRegistration,
                                                toolVisualization};
    struct Case
    {
        const char* what;
        DataList selection;
        std::set<std::string_view> offered;
    };
    const Case cases[] = {
        {"one stream", {&stream}, {std::begin(streamAlone), std::end(streamAlone)}},
        {"two streams", {&stream, &other}, {combinedStream, toolVisualization}},
        {"a stream and a volume",
         {&stream, &volume},
         {std::begin(streamAndVolume), std::end(streamAndVolume)}},
        {"a volume and a stream",
         {&volume, &stream},
         {std::begin(streamAndVolume), std::end(streamAndVolume)}},
        {"a stream, a volume and a slice", {&stream, &volume, &slice}, {liveTrackingPointRegistration}},
        {"two streams and a volume", {&stream, &other, &volume}, {}},
        {"a stream and a slice", {&stream, &slice}, {bullseyeVisualization, toolVisualization}},
        {"a stream and two volumes", {&stream, &volume, &volume}, {}},
        {"a volume", {&volume}, {}},
        {"a recording", {&a}, {toolCalibration}},
        {"two recordings", {&a, &b}, {toolCalibration}},
        {"three recordings", {&a, &b, &c}, {}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        std::set<std::string_view> offered;
        for (const auto* descriptor : factory.compatibleDescriptors(c.selection))
            if (descriptor->id.starts_with(factory.name()))
                offered.insert(std::string_view(descriptor->id));
        EXPECT_EQ(offered, c.offered) << c.what;
    }
}
