#include "host/app/Session.h"

#include "host/app/MarkupAnnotations.h"
#include "host/core/model/Algorithm.h"
#include "host/core/plugin/PluginLoader.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlSpline.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "navigation/plugin/NavigationIds.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TextFile.h"

#include <fmt/format.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

const std::string dataFolder = TESSELON_TEST_DATA_DIR;
const std::string phantomVolume = dataFolder + "/phantom-volume.mha";
const std::string landmarks = dataFolder + "/phantom-landmarks.csv";
const std::string recording = dataFolder + "/pivot-recording-1151.txt";

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Kind and name of each markup, to compare sessions.
std::vector<std::string> describe(const std::vector<GlPointBasedAnnotation*>& markups)
{
    std::vector<std::string> described;
    for (const GlPointBasedAnnotation* one : markups)
        described.push_back(MarkupAnnotations::kindOf(*one) + " " + one->name());
    return described;
}

template <class T>
std::unique_ptr<GlPointBasedAnnotation> drawn(const std::vector<Eigen::Vector3d>& points)
{
    auto object = std::make_unique<T>("ignored");
    object->setPoints(points);
    return object;
}

class SessionTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_plugins = new PluginLoader;
        s_plugins->loadFolders({TESSELON_PLUGIN_DIR});
    }
    static void TearDownTestSuite() { delete s_plugins; }

    /// Creates a Kalman-smoothed copy of the stream.
    static Algorithm* smooth(Session& session, Data* stream)
    {
        Properties kalman;
        kalman.setParam(NavigationIds::SmoothedStream::mode, NavigationIds::SmoothedStream::kalmanFilter);
        return session.createAlgorithm(NavigationIds::smoothedStream, {stream}, &kalman);
    }

    static inline PluginLoader* s_plugins = nullptr;
    Session m_session{s_plugins->algorithmFactories()};
    Tesselon::Test::LogCapture m_log;
};

TEST_F(SessionTest, AWorkspaceRestoresEverySourceAndAlgorithmToTheSameFile)
{
    QTemporaryDir folder;
    m_session.openVolume(phantomVolume);
    m_session.openRecording(recording);
    Properties tracker;
    tracker.setParam("rate", 30.0);
    tracker.setParam("instruments", std::string("Reference,Needle"));
    Data* stream = m_session.connectSimulatedTracker(&tracker);
    // Nothing listens there; the stream keeps trying, and the address is what is saved.
    m_session.connectIgtl({"127.0.0.1", 1});
    m_session.openMarkups(landmarks);
    const auto plan =
        m_session.openMarkups(Tesselon::Test::writeTextFile(folder, "plan.mrk.json", R"({"markups": [
        {"type": "Line", "name": "Planned line", "controlPoints": [{"position": [1, 2, 3]}, {"position": [4, 5, 6]}]},
        {"type": "Curve", "controlPoints": [{"position": [0, 0, 0]}, {"position": [0, 1, 0]}, {"position": [1, 1, 0]}]},
        {"type": "Fiducial", "controlPoints": [{"position": [9, 9, 9]}]}]})"));
    m_session.addDrawnAnnotation(drawn<GlLine>({{0, 0, 0}, {0.1, 0, 1e-300}}));
    m_session.addDrawnAnnotation(drawn<GlSpline>({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    m_session.addDrawnAnnotation(drawn<GlLine>({{0, 0, 0}, {2, 0, 0}}))->setPoint(1, {3, 0, 0});
    EXPECT_EQ(m_session.takeMarkups(plan[2]).get(), plan[2]) << "a removed markup of a file stays out";
    const std::vector<TrackingSequence*> loaded = m_session.openRecordingAsSequences(recording);
    ASSERT_EQ(loaded.size(), 1u) << "one per instrument";
    EXPECT_EQ(loaded[0]->name(), "pivot-recording-1151.txt Tool");
    EXPECT_EQ(loaded[0]->size(), 1151u);
    EXPECT_DOUBLE_EQ(loaded[0]->sample(0).markerToTracker(1, 3), -26.5338668823) << "the file's first pose";
    std::vector<std::unique_ptr<TrackingSequence>> live;
    live.push_back(std::make_unique<TrackingSequence>(TrackerID("N")));
    EXPECT_EQ(m_session.sourceOf(*m_session.addRecordedSequences(std::move(live)).at(0)),
              DataSource::LiveRecording);
    ASSERT_TRUE(smooth(m_session, stream));
    EXPECT_EQ(m_session.data().size(), 7u) << "the smoothed stream joins the data";
    Properties edited;
    edited.setParam("translationError", 0.375);
    dynamic_cast<Stream*>(m_session.data().back())->configure(&edited);
    EXPECT_EQ(m_session.workspace().algorithms.back().configuration.paramText("translationError"), "0.375")
        << "a panel's edit of the derived stream is saved";
    m_session.saveWorkspace(folder.filePath("saved.workspace").toStdString());

    Session restored(s_plugins->algorithmFactories());
    restored.openWorkspace(folder.filePath("saved.workspace").toStdString());
    restored.saveWorkspace(folder.filePath("again.workspace").toStdString());
    EXPECT_EQ(restored.data().size(), 6u) << "all but the live recording, which nothing could load again";
    EXPECT_EQ(bytesOf(folder.filePath("again.workspace")), bytesOf(folder.filePath("saved.workspace")));
    EXPECT_EQ(
        describe(restored.markups()),
        (std::vector<std::string>{"Points phantom-landmarks.csv", "Line Planned line",
                                  "Curve plan.mrk.json 2", "Line Line 1", "Curve Curve 1", "Line Line 2"}));
    for (std::size_t i = 0; i < restored.markups().size(); ++i)
        EXPECT_EQ(restored.markups()[i]->points(), m_session.markups()[i]->points())
            << "exactly, edits included";
    EXPECT_EQ(restored.addDrawnAnnotation(drawn<GlLine>({{0, 0, 0}, {1, 0, 0}}))->name(), "Line 3");
}

TEST_F(SessionTest, AnnouncesEachAdditionWithItsSourceAndEachRemovalNewestFirst)
{
    std::vector<std::string> events;
    SignalReceiver listener;
    const auto note = [&](const char* sign) {
        return [&events, sign](auto* object) { events.push_back(sign + object->name()); };
    };
    m_session.dataAdded.connect(&listener, [&](Data* data, DataSource source) {
        events.push_back("+" + data->name() + " from " + std::string(dataSourceName(source)));
    });
    m_session.dataRemoved.connect(&listener, note("-"));
    m_session.markupsAdded.connect(&listener, note("+"));
    m_session.markupsRemoved.connect(&listener, note("-"));
    m_session.algorithmCreated.connect(&listener, [&](Algorithm*) { events.push_back("+algorithm"); });
    m_session.algorithmRemoved.connect(&listener, [&](Algorithm*) { events.push_back("-algorithm"); });

    m_session.openVolume(phantomVolume);
    Data* tracker = m_session.connectSimulatedTracker();
    smooth(m_session, tracker);
    m_session.openMarkups(landmarks);
    const std::string raw = tracker->name();
    const std::string smoothed = raw + " (smoothed)";
    m_session.clear();
    EXPECT_EQ(events,
              (std::vector<std::string>{"+phantom-volume from volume", "+" + raw + " from simulatedTracker",
                                        "+" + smoothed + " from output", "+algorithm",
                                        "+phantom-landmarks.csv", "-algorithm", "-phantom-landmarks.csv",
                                        "-" + smoothed, "-" + raw, "-phantom-volume"}));
    EXPECT_EQ(m_session.volume(), nullptr);
}

TEST_F(SessionTest, RefusesWhatItCannotAddAndAddsNothing)
{
    EXPECT_THROW(m_session.openMarkups(landmarks), std::runtime_error) << "markups need a volume";
    EXPECT_THROW(m_session.addDrawnAnnotation(drawn<GlLine>({{0, 0, 0}, {1, 0, 0}})), std::runtime_error);
    EXPECT_THROW(m_session.openVolume(dataFolder + "/missing.mha"), std::runtime_error);
    EXPECT_THROW(m_session.connectIgtl(IgtlAddress::parse("localhost:0")), std::invalid_argument);
    Data* tracker = m_session.connectSimulatedTracker();
    EXPECT_EQ(m_session.createAlgorithm("Navigation.Bogus", {tracker}), nullptr);
    EXPECT_TRUE(m_log->contains("No algorithm Navigation.Bogus suits the chosen data."));
    EXPECT_EQ(m_session.createAlgorithm(NavigationIds::smoothedStream, {}), nullptr);
    EXPECT_EQ(m_session.data(), std::vector<Data*>{tracker});
    EXPECT_TRUE(m_session.markups().empty() && m_session.algorithms().empty());
}

TEST_F(SessionTest, RestoringSkipsAnEntryThatFailsAndKeepsTheRest)
{
    Workspace workspace;
    workspace.data = {{DataSource::Volume, dataFolder + "/missing.mha", Properties()},
                      {DataSource::SimulatedTracker, "", Properties()},
                      {DataSource::Markups, landmarks, Properties()}};
    workspace.algorithms = {{std::string(NavigationIds::smoothedStream), {0, 1}, Properties()}};
    m_session.restoreWorkspace(workspace);
    EXPECT_TRUE(m_log->contains("Skipped volume \"" + dataFolder + "/missing.mha\" of the workspace: "));
    EXPECT_TRUE(m_log->contains("Skipped markups \"" + landmarks +
                                "\" of the workspace: Open a volume first: markups are points on a volume."));
    ASSERT_EQ(m_session.algorithms().size(), 1u) << "created on the inputs that were restored";
    EXPECT_EQ(m_session.data().size(), 2u);
    EXPECT_EQ(m_session.sourceOf(*m_session.data()[1]), DataSource::AlgorithmOutput);
}

}  // namespace
}  // namespace Tesselon
