#include "host/gui/StreamRecordingWidget.h"

#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackingSequence.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/ProcessEventsUntil.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

TrackingInstrument needleAt(double x)
{
    return instrument("N", translation(x, 0, 0), 0.9, "Needle");
}

std::vector<TrackingInstrument> needleAndReference(double x)
{
    return {needleAt(x), instrument("R", translation(0, 0, 100), 1.0, "Reference")};
}

class StreamRecordingWidgetTest : public testing::Test
{
protected:
    StreamRecordingWidgetTest()
    {
        QObject::connect(&m_panel, &StreamRecordingWidget::recorded, [this](auto sequences) {
            for (auto& sequence : *sequences)
                m_names.push_back(sequence->name());
            m_last = std::move(sequences->front());
        });
    }

    /// Records these needle positions, emitted with the reference on the stream's own thread.
    void recordNeedleAt(std::vector<double> xs)
    {
        m_panel.record();
        std::thread([&] {
            for (double x : xs)
                m_stream.emitInstruments(needleAndReference(x));
        }).join();
        m_panel.stop();
    }

    ManualTrackingStream m_stream{"Tracker"};
    StreamRecordingWidget m_panel{&m_stream};
    std::vector<std::string> m_names;
    std::unique_ptr<TrackingSequence> m_last;
};

TEST_F(StreamRecordingWidgetTest, RecordsTheChosenInstrumentsPosesIntoNumberedSequences)
{
    m_stream.emitInstruments({needleAt(-1)});
    recordNeedleAt({1, 2, 3});
    m_stream.emitInstruments({needleAt(4)});
    EXPECT_EQ(m_names,
              (std::vector<std::string>{"Tracker Needle recording 1", "Tracker Reference recording 1"}));
    ASSERT_EQ(m_last->size(), 3u) << "only what came between Record and Stop";
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(m_last->sample(i).markerToTracker, translation(double(i + 1), 0, 0));
    EXPECT_DOUBLE_EQ(m_last->sample(0).quality, 0.9);
    EXPECT_EQ(m_panel.statusText(), "Recorded 6 samples of 2 instrument(s).");

    auto* choice = m_panel.findChild<TrackingInstrumentComboBox*>("recordInstrument");
    m_stream.setInstruments(needleAndReference(0));
    m_stream.updated.emitSignal();
    ASSERT_TRUE(processEventsUntil([&] { return choice->count() == 3; })) << "All and both instruments";
    EXPECT_EQ(choice->itemText(0), "All");
    ASSERT_TRUE(choice->selectInstrument("R"));
    recordNeedleAt({1, 2});
    EXPECT_EQ(m_names.back(), "Tracker Reference recording 2");
    EXPECT_EQ(m_names.size(), 3u);
}

TEST_F(StreamRecordingWidgetTest, AnEmptyRecordingAddsNothingAndSaysSo)
{
    recordNeedleAt({});
    EXPECT_TRUE(m_names.empty());
    EXPECT_TRUE(m_panel.statusText().startsWith("Nothing was recorded"));
}

}  // namespace
}  // namespace Tesselon
