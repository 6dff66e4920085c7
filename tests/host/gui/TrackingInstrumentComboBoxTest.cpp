#include "host/gui/TrackingInstrumentComboBox.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/ProcessEventsUntil.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

TrackingInstrument instrument(std::string id, std::string model = {}, std::string name = {})
{
    TrackingInstrument result;
    result.id = TrackerID(std::move(id), std::move(model), std::move(name));
    return result;
}

QStringList itemTexts(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

class TrackingInstrumentComboBoxTest : public testing::Test
{
protected:
    TrackingInstrumentComboBoxTest()
    {
        m_stream.setInstruments(
            {instrument("Needle", "M870", "Needle tip"), instrument("Ref", "", "Reference")});
        QObject::connect(&m_box, &TrackingInstrumentComboBox::instrumentSelected,
                         [this](const QString& id) { m_selections << id; });
    }

    /// Replaces the stream's instruments and reports the change from the stream's own thread.
    void updateFromStreamThread(std::vector<TrackingInstrument> instruments)
    {
        m_stream.setInstruments(std::move(instruments));
        std::thread([this] { m_stream.updated.emitSignal(); }).join();
        QCoreApplication::processEvents();
    }

    Tesselon::Test::ManualTrackingStream m_stream;
    TrackingInstrumentComboBox m_box;
    QStringList m_selections;
};

TEST_F(TrackingInstrumentComboBoxTest, ItemTextsShowTheFlaggedPartsJoinedAfterAnOptionalNone)
{
    const struct
    {
        int flags;
        bool withNone;
        QStringList texts;
    } cases[] = {
        {TrackingInstrumentComboBox::ShowId, true, {"None", "Needle", "Ref"}},
        {TrackingInstrumentComboBox::ShowId, false, {"Needle", "Ref"}},
        {TrackingInstrumentComboBox::ShowModel, false, {"M870", "Ref"}},
        {TrackingInstrumentComboBox::ShowName, false, {"Needle tip", "Reference"}},
        {5, false, {"Needle : Needle tip", "Ref : Reference"}},
        {7, false, {"Needle : M870 : Needle tip", "Ref : Reference"}},
    };
    for (const auto& c : cases) {
        m_box.initFromTrackingStream(&m_stream, c.flags, c.withNone);
        EXPECT_EQ(itemTexts(m_box), c.texts) << c.flags;
        if (c.withNone) {
            // None has an empty id, is the starting choice and is not announced.
            EXPECT_EQ(m_box.itemData(0).toString(), "");
            EXPECT_EQ(m_box.currentIndex(), 0);
            EXPECT_TRUE(m_selections.isEmpty());
        }
    }
    m_box.setSeparator(" / ");
    EXPECT_EQ(itemTexts(m_box), (QStringList{"Needle / M870 / Needle tip", "Ref / Reference"}));
    EXPECT_EQ(m_box.itemData(1).toString(), "Ref");
}

TEST_F(TrackingInstrumentComboBoxTest, SignalsChoicesOnceAndNotForRefillsThatKeepTheId)
{
    m_box.initFromTrackingStream(&m_stream, TrackingInstrumentComboBox::ShowId, false);
    EXPECT_EQ(m_selections, QStringList{"Needle"});

    EXPECT_TRUE(m_box.selectInstrument("Ref"));
    EXPECT_TRUE(m_box.selectInstrument("Ref"));
    EXPECT_FALSE(m_box.selectInstrument("Probe"));
    m_box.setCurrentIndex(0);
    EXPECT_EQ(m_selections, (QStringList{"Needle", "Ref", "Needle"}));

    m_box.selectInstrument("Ref");
    m_selections.clear();
    updateFromStreamThread({instrument("Probe"), instrument("Ref"), instrument("Needle")});
    EXPECT_EQ(itemTexts(m_box), (QStringList{"Probe", "Ref", "Needle"}));
    EXPECT_EQ(m_box.selectedInstrumentId(), "Ref");
    EXPECT_TRUE(m_selections.isEmpty());

    updateFromStreamThread({instrument("Probe"), instrument("Needle")});
    EXPECT_EQ(m_box.selectedInstrumentId(), "Probe");
    EXPECT_EQ(m_selections, QStringList{"Probe"});
}

TEST_F(TrackingInstrumentComboBoxTest, AnEmptyAllowingBoxShowsNoChoiceWhenTheChosenInstrumentGoes)
{
    TrackingInstrumentComboBox box(true);
    QStringList selections;
    QObject::connect(&box, &TrackingInstrumentComboBox::instrumentSelected,
                     [&](const QString& id) { selections << id; });
    box.initFromTrackingStream(&m_stream, TrackingInstrumentComboBox::ShowId, false);
    EXPECT_EQ(box.currentIndex(), -1);
    box.selectInstrument("Ref");
    box.setInstruments({TrackerID("Needle")});
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.selectedInstrumentId(), "");
    EXPECT_EQ(selections, (QStringList{"Ref", ""}));
}

}  // namespace
}  // namespace Tesselon
