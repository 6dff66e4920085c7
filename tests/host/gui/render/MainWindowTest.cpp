#include "host/gui/MainWindow.h"

#include "host/app/Session.h"
#include "host/core/model/SharedImageSet.h"
#include "host/core/plugin/PluginLoader.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlSpline.h"
#include "host/gui/DefaultControllerDecorator.h"
#include "host/gui/StreamController.h"
#include "host/stream/TrackingStream.h"
#include "navigation/plugin/NavigationIds.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QListWidget>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

std::map<std::string, std::vector<std::string>> idsOf(
    const std::map<std::string, std::vector<AlgorithmCatalog::Entry>>& offered)
{
    std::map<std::string, std::vector<std::string>> ids;
    for (const auto& [category, entries] : offered)
        for (const auto& entry : entries)
            ids[category].push_back(entry.descriptor->id);
    return ids;
}

TEST(MainWindow, ShowsItsSessionAsItChangesAndOffersItsAlgorithmsForTheSelection)
{
    PluginLoader plugins;
    plugins.loadFolders({TESSELON_PLUGIN_DIR});
    Session session(plugins.algorithmFactories());
    Data* volume = session.openVolume(std::string(TESSELON_TEST_DATA_DIR) + "/phantom-volume.mha");
    MainWindow window(session, plugins.controllerFactories());
    Data* tracker = session.connectSimulatedTracker();
    session.createAlgorithm(NavigationIds::smoothedStream, {tracker});
    session.createAlgorithm(NavigationIds::combinedStream, {tracker});
    const auto* list = window.findChild<QListWidget*>();
    EXPECT_EQ(list->count(), 4);
    // The tracker's own panel and the derived streams' panels, each with its stream although the session
    // took it.
    const auto panels = window.findChildren<StreamController*>();
    ASSERT_EQ(panels.size(), 3);
    EXPECT_EQ(window.findChildren<DefaultControllerDecorator*>().size(), 3);
    std::vector<std::string> kinds;
    for (const StreamController* panel : panels) {
        kinds.push_back(panel->metaObject()->className());
        EXPECT_NE(panel->recordingWidget(), nullptr);
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"Tesselon::StreamController",
                                               "Tesselon::SmoothedTrackingStreamController",
                                               "Tesselon::CombinedTrackingStreamController"}));

    Tesselon::Test::SampleRecorder samples(*dynamic_cast<Stream*>(tracker));
    panels[0]->recordingWidget()->record();
    const std::size_t before = samples.count();
    ASSERT_TRUE(Tesselon::Test::waitUntil([&] { return samples.count() >= before + 3; }));
    panels[0]->recordingWidget()->stop();
    ASSERT_GT(session.data().size(), 4u) << "the recording joins the data";
    EXPECT_EQ(session.sourceOf(*session.data().back()), DataSource::LiveRecording);

    const std::vector<std::vector<Data*>> selections = {{}, {tracker}, {volume}, {tracker, volume}};
    for (const auto& selection : selections) {
        window.select(selection);
        EXPECT_EQ(window.offeredAlgorithms(), idsOf(session.offeredAlgorithms(DataList(selection))))
            << selection.size() << " data selected";
    }
    window.select({tracker});
    EXPECT_FALSE(window.offeredAlgorithms()["Streaming"].empty());

    session.clear();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(window.findChildren<DefaultControllerDecorator*>().isEmpty());
    EXPECT_TRUE(window.findChildren<StreamController*>().isEmpty());
}

TEST(MainWindow, CurvesAreAnnotationsOfTheVolumeUntilTheSessionOrTheModelRemovesThem)
{
    PluginLoader plugins;
    Session session(plugins.algorithmFactories());
    MainWindow window(session, plugins.controllerFactories());
    Data* volume = session.openVolume(std::string(TESSELON_TEST_DATA_DIR) + "/phantom-volume.mha");
    session.openMarkups(std::string(TESSELON_TEST_DATA_DIR) + "/phantom-landmarks.csv");
    for (int i = 0; i < 2; ++i) {
        auto curve = std::make_unique<GlSpline>();
        curve->setPoints({{0, 0, 0}, {0, 0, 9}});
        session.addDrawnAnnotation(std::move(curve));
    }
    AnnotationModel& model = window.application().annotations();
    ASSERT_EQ(model.getAnnotations(volume).size(), 2u) << "the curves; points are no annotation";
    model.remove(model.getAnnotations(volume)[0], true);
    QApplication::processEvents();
    EXPECT_EQ(session.markups().size(), 2u)
        << "removed from the model, out of the session and its workspaces";
    session.clear();
    EXPECT_TRUE(model.getAnnotations().empty());
    EXPECT_TRUE(window.views().view3D()->objects().empty());
}

}  // namespace
}  // namespace Tesselon
