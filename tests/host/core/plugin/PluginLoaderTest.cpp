#include "host/core/plugin/PluginAutoRegistrationGuard.h"
#include "host/core/plugin/PluginLoader.h"
#include "host/core/plugin/PluginMarker.h"
#include "tests/support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Tesselon;
using testing::HasSubstr;

namespace {

std::string testPlugin(const std::string& name)
{
    return std::string(TESSELON_TEST_PLUGIN_DIR) + "/lib" + name + ".so";
}

std::vector<std::string> ids(const PluginLoader& loader)
{
    std::vector<std::string> result;
    for (const auto& plugin : loader.loaded())
        result.push_back(plugin.id);
    return result;
}

}  // namespace

TEST(PluginMarker, SplitsMagicAndFieldsKeepingEmptyValuesAndFoldersAreNextToTheProgramThenTheEnvironment)
{
    const auto marker = PluginMarker::parse(
        "__TESSELON_PLUGIN_V2_MAGIC_STRING__|hostversion=4.4.6|buildflags=GLIBCXX_DEBUG:_GLIBCXX_DEBUG|"
        "pluginversion=");
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->magic, PluginMarker::magicToken);
    EXPECT_EQ(marker->field("hostversion"), "4.4.6");
    EXPECT_EQ(marker->field("buildflags"), "GLIBCXX_DEBUG:_GLIBCXX_DEBUG");
    EXPECT_EQ(marker->field("pluginversion"), "");
    EXPECT_FALSE(marker->field("missing"));
    EXPECT_FALSE(PluginMarker::parse("__MAGIC__|novalue"));

    setenv("TESSELON_PLUGIN_PATH", "/opt/a::/opt/b", 1);
    EXPECT_EQ(PluginLoader::defaultFolders("/usr/local/bin"),
              (std::vector<std::string>{"/usr/local/plugins", "/opt/a", "/opt/b"}));
    unsetenv("TESSELON_PLUGIN_PATH");
}

TEST(PluginLoader, StartsDependenciesFirstWhateverTheFileOrder)
{
    PluginLoader loader;
    loader.loadFiles({testPlugin("DependentPlugin"), testPlugin("GoodPlugin")});
    EXPECT_EQ(ids(loader), (std::vector<std::string>{"Test.Good", "Test.Dependent"}));
    EXPECT_TRUE(loader.refused().empty());
    ASSERT_EQ(loader.algorithmFactories().size(), 2u);
    EXPECT_EQ(loader.algorithmFactories()[0]->name(), "Test.Good");
    EXPECT_EQ(loader.loaded()[0].marker.field("pluginversion"), "1");
}

TEST(PluginLoader, RefusesUnfitLibrariesWithOneSentenceEachAndKeepsLoading)
{
    Tesselon::Test::LogCapture capture;
    PluginLoader loader;
    loader.loadFiles({testPlugin("NoMarkerPlugin"), testPlugin("WrongMagicPlugin"),
                      testPlugin("WrongHostPlugin"), testPlugin("MissingDependencyPlugin"),
                      testPlugin("FailingInitPlugin"), testPlugin("GoodPlugin"),
                      testPlugin("DuplicateGoodPlugin"), "/nonexistent/libNothing.so"});

    EXPECT_EQ(ids(loader), std::vector<std::string>{"Test.Good"});
    std::vector<std::string> reasons;
    for (const auto& refused : loader.refused())
        reasons.push_back(refused.reason);
    ASSERT_EQ(reasons.size(), 7u);
    EXPECT_THAT(reasons, testing::Contains(HasSubstr("exports no tesselonPluginDescriptor")));
    EXPECT_THAT(reasons, testing::Contains(HasSubstr("does not start with the magic token")));
    EXPECT_THAT(reasons, testing::Contains(
                             HasSubstr("built for host version \"4.3.1\", but this host is version 4.4.6")));
    EXPECT_THAT(reasons, testing::Contains(
                             HasSubstr("depends on the plug-in \"Test.NotThere\", which is not loaded")));
    EXPECT_THAT(reasons, testing::Contains(HasSubstr("failed to start: the test plug-in refuses to start")));
    EXPECT_THAT(reasons,
                testing::Contains(HasSubstr("a plug-in with the id \"Test.Good\" is already loaded")));
    EXPECT_THAT(reasons, testing::Contains(HasSubstr("/nonexistent/libNothing.so cannot be opened")));
    for (const auto& reason : reasons)
        EXPECT_EQ(capture->count(reason), 1) << reason;
}

TEST(PluginLoader, UnloadsLibrariesWithTheLoader)
{
    {
        PluginLoader loader;
        loader.loadFiles({testPlugin("GoodPlugin")});
        ASSERT_EQ(ids(loader).size(), 1u);
    }
    PluginLoader again;
    again.loadFiles({testPlugin("GoodPlugin")});
    EXPECT_EQ(ids(again), std::vector<std::string>{"Test.Good"});
}
