#include "host/gui/MainWindow.h"

#include "host/app/Session.h"
#include "host/core/model/SharedImageSet.h"
#include "host/core/plugin/PluginLoader.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/gui/AnnotationTools.h"
#include "host/gui/DefaultControllerDecorator.h"
#include "host/gui/StreamController.h"
#include "host/stream/TrackingStream.h"
#include "navigation/plugin/NavigationIds.h"
#include "tests/support/SampleRecorder.h"
#include "tests/support/TextFile.h"
#include "tests/support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

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

TEST(MainWindow, LinesAndCurvesAreAnnotationsOfTheVolumeUntilTheSessionOrTheModelRemovesThem)
{
    QTemporaryDir folder;
    const std::string plan = Tesselon::Test::writeTextFile(
        folder, "plan.mrk.json",
        R"({"markups": [{"type": "Line", "controlPoints": [{"position": [0, 0, 0]}, {"position": [0, 0, 9]}]},
                               {"type": "Fiducial", "controlPoints": [{"position": [1, 2, 3]}]}]})");
    PluginLoader plugins;
    Session session(plugins.algorithmFactories());
    MainWindow window(session, plugins.controllerFactories());
    Data* volume = session.openVolume(std::string(TESSELON_TEST_DATA_DIR) + "/phantom-volume.mha");
    session.openMarkups(plan);
    AnnotationModel& model = window.application().annotations();
    ASSERT_EQ(model.getAnnotations(volume).size(), 1u) << "the line; the points are no annotation";

    // Drawn with the menu: clicks in a slice view, then the entry again.
    QAction* drawCurve = window.findChild<AnnotationTools*>()->menu()->actions().at(1);
    drawCurve->trigger();
    auto* prompt = window.findChild<QLabel*>("annotationPrompt");
    EXPECT_EQ(prompt->text(), "Click the curve's first point in a slice view (Escape cancels).");
    const GlSliceView& axial = *window.views().viewSlice(0);
    for (const Eigen::Vector3d& point : std::vector<Eigen::Vector3d>{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}})
        window.views().interactions().front()->press(axial, point, 1.0);
    drawCurve->trigger();
    const auto annotations = model.getAnnotations(volume);
    ASSERT_EQ(annotations.size(), 2u);
    EXPECT_EQ(annotations[1]->object()->name(), "Curve 1");
    EXPECT_TRUE(prompt->isHidden());

    model.remove(annotations[0], true);
    QApplication::processEvents();
    EXPECT_EQ(session.markups().size(), 2u)
        << "removed from the model, out of the session and its workspaces";
    session.clear();
    EXPECT_TRUE(model.getAnnotations().empty());
    EXPECT_TRUE(window.views().view3D()->objects().empty());
}

}  // namespace
}  // namespace Tesselon
