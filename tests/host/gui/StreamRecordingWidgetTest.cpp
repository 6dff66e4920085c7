#include "host/gui/StreamRecordingWidget.h"

#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackingSequence.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

class StreamRecordingWidgetTest : public testing::Test
{
protected:
    StreamRecordingWidgetTest()
    {
        m_stream.setInstruments({needleAt(0), reference()});
        m_panel.emplace(&m_stream);
        QObject::connect(&*m_panel, &StreamRecordingWidget::recorded, [this](auto sequences) {
            for (auto& sequence : *sequences)
                m_recorded.push_back(std::move(sequence));
        });
    }

    static TrackingInstrument needleAt(double x)
    {
        return instrument("N", translation(x, 0, 0), 0.9, "Needle");
    }
    static TrackingInstrument reference()
    {
        return instrument("R", translation(0, 0, 100), 1.0, "Reference");
    }

    /// Emits on a thread of its own, as a tracker does.
    void emitNeedleAndReferenceAt(std::vector<double> xs)
    {
        std::thread([&] {
            for (double x : xs)
                m_stream.emitInstruments({needleAt(x), reference()});
        }).join();
    }

    void click(const char* name) { m_panel->findChild<QPushButton*>(name)->click(); }

    std::vector<std::string> recordedNames() const
    {
        std::vector<std::string> names;
        for (const auto& sequence : m_recorded)
            names.push_back(sequence->name());
        return names;
    }

    ManualTrackingStream m_stream{"Tracker"};
    std::optional<StreamRecordingWidget> m_panel;
    std::vector<std::unique_ptr<TrackingSequence>> m_recorded;
};

TEST_F(StreamRecordingWidgetTest, RecordsEveryInstrumentBetweenRecordAndStopWithTheirPoses)
{
    auto* choice = m_panel->findChild<TrackingInstrumentComboBox*>("recordInstrument");
    EXPECT_EQ(choice->itemText(0), "All");
    EXPECT_EQ(choice->count(), 3);
    EXPECT_FALSE(m_panel->findChild<QPushButton*>("stopRecording")->isEnabled());

    emitNeedleAndReferenceAt({-1});
    click("record");
    EXPECT_FALSE(m_panel->findChild<QPushButton*>("record")->isEnabled());
    emitNeedleAndReferenceAt({1, 2, 3});
    click("stopRecording");
    emitNeedleAndReferenceAt({4});

    EXPECT_EQ(recordedNames(),
              (std::vector<std::string>{"Tracker Needle recording 1", "Tracker Reference recording 1"}));
    ASSERT_EQ(m_recorded[0]->size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_recorded[0]->sample(i).markerToTracker, translation(double(i + 1), 0, 0));
        EXPECT_DOUBLE_EQ(m_recorded[0]->sample(i).quality, 0.9);
    }
    EXPECT_EQ(m_recorded[0]->trackerId().ID(), "N");
    EXPECT_EQ(m_panel->statusText(), "Recorded 6 samples of 2 instrument(s).");
}

TEST_F(StreamRecordingWidgetTest, RecordsOnlyTheChosenInstrumentNumberingRecordingsAndReportsAnEmptyOne)
{
    click("record");
    click("stopRecording");
    EXPECT_TRUE(m_recorded.empty()) << "an empty recording adds nothing";
    EXPECT_EQ(m_panel->statusText().left(20), "Nothing was recorded");

    for (int recording = 1; recording <= 2; ++recording) {
        ASSERT_TRUE(
            m_panel->findChild<TrackingInstrumentComboBox*>("recordInstrument")->selectInstrument("R"));
        click("record");
        emitNeedleAndReferenceAt({1, 2});
        click("stopRecording");
    }
    EXPECT_EQ(recordedNames(),
              (std::vector<std::string>{"Tracker Reference recording 1", "Tracker Reference recording 2"}));
    EXPECT_EQ(m_recorded[1]->size(), 2u);
}

}  // namespace
}  // namespace Tesselon
