#include "host/gui/MainWindow.h"

#include "host/core/AlgorithmCatalog.h"
#include "host/core/AlgorithmFactory.h"
#include "host/core/PluginLoader.h"
#include "host/core/SharedImageSet.h"
#include "host/stream/TrackingStream.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

const std::string phantomVolume = std::string(TESSELON_TEST_DATA_DIR) + "/phantom-volume.mha";

class MainWindowTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_plugins = new PluginLoader;
        s_plugins->loadFolders({TESSELON_PLUGIN_DIR});
    }
    static void TearDownTestSuite() { delete s_plugins; }

    static std::unique_ptr<MainWindow> newWindow()
    {
        return std::make_unique<MainWindow>(s_plugins->algorithmFactories(),
                                            s_plugins->controllerFactories());
    }

    /// What the compatibility functions answer for this selection, by category.
    static std::map<std::string, std::vector<std::string>> compatible(const DataList& selection)
    {
        std::map<std::string, std::vector<std::string>> expected;
        for (const auto& [category, entries] : AlgorithmCatalog(s_plugins->algorithmFactories()).byCategory())
            for (const auto& entry : entries)
                if (entry.descriptor->isCompatible(selection))
                    expected[category].push_back(entry.descriptor->id);
        return expected;
    }

    static inline PluginLoader* s_plugins = nullptr;
};

TEST_F(MainWindowTest, AlgorithmMenusOfferWhatTheCompatibilityFunctionsAccept)
{
    auto window = newWindow();
    Data* volume = window->openVolume(phantomVolume);
    Data* tracker = window->connectSimulatedTracker();
    const std::vector<std::vector<Data*>> selections = {{}, {tracker}, {volume}, {tracker, volume}};
    for (const auto& selection : selections) {
        window->select(selection);
        auto offered = window->offeredAlgorithms();
        for (auto& [category, ids] : offered)
            std::sort(ids.begin(), ids.end());
        auto expected = compatible(DataList(selection));
        for (auto& [category, ids] : expected)
            std::sort(ids.begin(), ids.end());
        EXPECT_EQ(offered, expected) << selection.size() << " data selected";
    }
    window->select({tracker});
    EXPECT_FALSE(window->offeredAlgorithms()["Streaming"].empty());
}

TEST_F(MainWindowTest, AWorkspaceRestoresTheDataAndTheAlgorithmsWithTheirConfiguration)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath("session.workspace").toStdString();
    Workspace saved;
    {
        auto window = newWindow();
        window->openVolume(phantomVolume);
        Properties tracker;
        tracker.setParam("rate", 30.0);
        tracker.setParam("instruments", std::string("Reference,Needle"));
        Data* stream = window->connectSimulatedTracker(&tracker);
        Properties smoothing;
        smoothing.setParam("smoothingMode", 2);
        ASSERT_TRUE(
            window->createAlgorithm("Navigation.CreateStreamSmoothedTrackingStream", {stream}, &smoothing));
        EXPECT_EQ(window->data().size(), 3u) << "the smoothed stream joins the data";
        saved = window->workspace();
        saved.save(path);
    }
    auto restored = newWindow();
    restored->restoreWorkspace(Workspace::load(path));
    EXPECT_EQ(restored->data().size(), 3u);
    EXPECT_EQ(restored->workspace(), saved);
}

}  // namespace
}  // namespace Tesselon
