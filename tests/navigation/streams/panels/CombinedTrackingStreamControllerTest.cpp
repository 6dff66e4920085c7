#include "navigation/streams/CombinedTrackingStreamController.h"

#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "tests/navigation/streams/panels/StreamPanel.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/ProcessEventsUntil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

struct CombinedPanel : StreamPanel<CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>,
                                   CombinedTrackingStreamController>
{
    using StreamPanel::StreamPanel;

    QComboBox* box(const char* name) { return child<QComboBox>(name); }
    QStringList items(const char* name)
    {
        QStringList texts;
        for (int i = 0; i < box(name)->count(); ++i)
            texts << box(name)->itemText(i);
        return texts;
    }
    QString text(const char* name) { return child<QWidget>(name)->property("text").toString(); }
    void add() { child<QPushButton>("pushButtonAddInstrument")->click(); }
};

TrackingInstrument at(const std::string& id)
{
    return instrument(id, Eigen::Matrix4d::Identity());
}

class CombinedTrackingStreamControllerTest : public testing::Test
{
protected:
    CombinedTrackingStreamControllerTest()
    {
        m_references.setInstruments({at("7")});
        m_tools.setInstruments({at("12"), at("13")});
        m_form.emplace(DataList{&m_references, &m_tools});
    }

    ManualTrackingStream m_references{"Reference Tracker"};
    ManualTrackingStream m_tools{"Tool Tracker"};
    std::optional<CombinedPanel> m_form;
};

TEST_F(CombinedTrackingStreamControllerTest, ShowsTheFormWithTheFirstInputAsReferenceAndTheSecondAsTarget)
{
    EXPECT_EQ(m_form->child<QWidget>("CombinedTrackingStreamController")->windowTitle(), "Form");
    const char* named[] = {
        "label_tool", "label", "label_3", "label_2", "pushButtonAddInstrument", "checkBoxForwardTargetOnly"};
    const QStringList texts = {"Target:",           "Relative to:",
                               "Combination mode:", "New instrument name:",
                               "Add Instrument",    "Forward target without combination"};
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(m_form->text(named[i]), texts[i]);
    EXPECT_EQ(m_form->items("comboBoxPostStream"), (QStringList{"Reference Tracker", "Tool Tracker"}));
    EXPECT_EQ(m_form->box("comboBoxPostStream")->currentIndex(), 1);
    EXPECT_EQ(m_form->box("comboBoxPreStream")->currentIndex(), 0);
    EXPECT_EQ(m_form->items("comboBoxPreInstrument"), QStringList{"7;;"});
    EXPECT_EQ(m_form->items("comboBoxPostInstrument"), (QStringList{"12;;", "13;;"}));
    EXPECT_EQ(m_form->items("comboBoxCombinationMode"), (QStringList{"Relative", "Composition"}));

    CombinedPanel alone{DataList{&m_tools}};
    EXPECT_EQ(alone.box("comboBoxPreStream")->currentText(), "Tool Tracker");
    EXPECT_EQ(alone.box("comboBoxPostStream")->currentText(), "Tool Tracker");
}

TEST_F(CombinedTrackingStreamControllerTest, AddsOneInstructionPerClickNamedAfterBothIdsUnlessNamed)
{
    m_form->add();
    m_form->add();
    m_form->child<QLineEdit>("lineEditInstrumentName")->setText("Needle in tracker");
    m_form->box("comboBoxCombinationMode")->setCurrentIndex(CombinationInstruction::Composition);
    m_form->add();

    const std::vector<CombinationInstruction> added = m_form->stream().instructions();
    ASSERT_EQ(added.size(), 3u);
    for (const CombinationInstruction& instruction : added) {
        EXPECT_EQ(instruction.preStreamName.value() + instruction.preInstrument.value(),
                  "Reference Tracker7;;");
        EXPECT_EQ(instruction.postStreamName.value() + instruction.postInstrument.value(),
                  "Tool Tracker12;;");
    }
    EXPECT_EQ(added[0].outputInstrument.value(), "7-12");
    EXPECT_EQ(added[1].outputInstrument.value(), "7-12");
    EXPECT_EQ(added[1].combinationMode.value(), CombinationInstruction::Relative);
    EXPECT_EQ(added[2].outputInstrument.value(), "Needle in tracker");
    EXPECT_EQ(added[2].combinationMode.value(), CombinationInstruction::Composition);
    EXPECT_TRUE(m_form->text("lineEditInstrumentName").isEmpty());
}

TEST_F(CombinedTrackingStreamControllerTest, RefusesToAddWhileAnInstrumentBoxIsEmptySayingWhy)
{
    ManualTrackingStream empty{"Empty Tracker"};
    CombinedPanel form{DataList{&m_references, &empty}};
    form.add();
    EXPECT_TRUE(form.stream().instructions().empty());
    EXPECT_TRUE(form.text("labelAddProblem").startsWith("Choose a target and a reference instrument first"));

    // Instruments the input learns later, announced on its own thread, make adding possible.
    empty.setInstruments({at("5")});
    std::thread([&] { empty.updated.emitSignal(); }).join();
    EXPECT_TRUE(processEventsUntil([&] { return form.box("comboBoxPostInstrument")->count() == 1; }));
    form.add();
    ASSERT_EQ(form.stream().instructions().size(), 1u);
    EXPECT_EQ(form.stream().instructions()[0].outputInstrument.value(), "7-5");
    EXPECT_TRUE(form.text("labelAddProblem").isEmpty());
}

TEST_F(CombinedTrackingStreamControllerTest,
       ChoosingAStreamRefillsOnlyItsInstrumentsAndTheFlagFollowsTheStream)
{
    m_form->box("comboBoxCombinationMode")->setCurrentIndex(1);
    m_form->child<QLineEdit>("lineEditInstrumentName")->setText("kept");
    m_form->box("comboBoxPreStream")->setCurrentIndex(1);
    EXPECT_EQ(m_form->items("comboBoxPreInstrument"), (QStringList{"12;;", "13;;"}));
    EXPECT_EQ(m_form->box("comboBoxCombinationMode")->currentIndex(), 1);
    EXPECT_EQ(m_form->text("lineEditInstrumentName"), "kept");

    auto* forward = m_form->child<QCheckBox>("checkBoxForwardTargetOnly");
    forward->click();
    EXPECT_TRUE(m_form->stream().isForwardWithoutCombination());
    m_form->stream().setForwardWithoutCombination(false);
    m_form->panel.updateGui();
    EXPECT_FALSE(forward->isChecked());
}

}  // namespace
}  // namespace Tesselon
