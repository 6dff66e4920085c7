#include "navigation/streams/CombinedTrackingStreamController.h"

#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "tests/navigation/streams/panels/StreamPanel.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/Poses.h"
#include "tests/support/ProcessEventsUntil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;
using CreateCombined = CreateStreamAlgorithm<CombinedTrackingStream, true, true, true>;

std::string textOf(const TrackerID& id)
{
    return id.toIDModelNameString(false);
}

/// The combined stream's panel with shortcuts to its form.
struct CombinedPanel : StreamPanel<CreateCombined, CombinedTrackingStreamController>
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
    void add() { child<QPushButton>("pushButtonAddInstrument")->click(); }
};

class CombinedTrackingStreamControllerTest : public testing::Test
{
protected:
    CombinedTrackingStreamControllerTest()
    {
        m_references.setInstruments({instrument("7", Eigen::Matrix4d::Identity(), 1.0, "Reference")});
        m_tools.setInstruments({instrument("12", Eigen::Matrix4d::Identity(), 1.0, "Needle"),
                                instrument("13", Eigen::Matrix4d::Identity(), 1.0, "Pointer")});
        m_form.emplace(DataList{&m_references, &m_tools});
    }

    ManualTrackingStream m_references{"Reference Tracker"};
    ManualTrackingStream m_tools{"Tool Tracker"};
    std::optional<CombinedPanel> m_form;
};

TEST_F(CombinedTrackingStreamControllerTest, ShowsTheFormWithTheFirstInputAsReferenceAndTheSecondAsTarget)
{
    auto* form = m_form->child<QWidget>("CombinedTrackingStreamController");
    EXPECT_EQ(form->windowTitle(), "Form");
    const std::pair<const char*, const char*> texts[] = {{"label_tool", "Target:"},
                                                         {"label", "Relative to:"},
                                                         {"label_3", "Combination mode:"},
                                                         {"label_2", "New instrument name:"}};
    for (const auto& [name, text] : texts)
        EXPECT_EQ(m_form->child<QLabel>(name)->text(), text);
    EXPECT_EQ(m_form->child<QPushButton>("pushButtonAddInstrument")->text(), "Add Instrument");
    EXPECT_EQ(m_form->child<QCheckBox>("checkBoxForwardTargetOnly")->text(),
              "Forward target without combination");

    const QStringList streams = {"Reference Tracker", "Tool Tracker"};
    EXPECT_EQ(m_form->items("comboBoxPreStream"), streams);
    EXPECT_EQ(m_form->items("comboBoxPostStream"), streams);
    EXPECT_EQ(m_form->box("comboBoxPreStream")->currentIndex(), 0);
    EXPECT_EQ(m_form->box("comboBoxPostStream")->currentIndex(), 1);
    EXPECT_EQ(m_form->items("comboBoxPreInstrument"), QStringList{"7;;"});
    EXPECT_EQ(m_form->items("comboBoxPostInstrument"), (QStringList{"12;;", "13;;"}));
    EXPECT_EQ(m_form->items("comboBoxCombinationMode"), (QStringList{"Relative", "Composition"}));

    ManualTrackingStream single{"Only Tracker"};
    single.setInstruments({instrument("3", Eigen::Matrix4d::Identity())});
    CombinedPanel alone{DataList{&single}};
    EXPECT_EQ(alone.box("comboBoxPreStream")->currentText(), "Only Tracker");
    EXPECT_EQ(alone.box("comboBoxPostStream")->currentText(), "Only Tracker");
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
        EXPECT_EQ(instruction.preStreamName.value(), "Reference Tracker");
        EXPECT_EQ(instruction.preInstrument.value(), textOf(TrackerID("7")));
        EXPECT_EQ(instruction.postStreamName.value(), "Tool Tracker");
        EXPECT_EQ(instruction.postInstrument.value(), textOf(TrackerID("12")));
    }
    EXPECT_EQ(added[0].outputInstrument.value(), "7-12");
    EXPECT_EQ(added[1].outputInstrument.value(), "7-12");
    EXPECT_EQ(added[0].combinationMode.value(), CombinationInstruction::Relative);
    EXPECT_EQ(added[2].outputInstrument.value(), "Needle in tracker");
    EXPECT_EQ(added[2].combinationMode.value(), CombinationInstruction::Composition);
    EXPECT_TRUE(m_form->child<QLineEdit>("lineEditInstrumentName")->text().isEmpty());
    EXPECT_TRUE(m_form->child<QLabel>("labelAddProblem")->text().isEmpty());
}

TEST_F(CombinedTrackingStreamControllerTest, RefusesToAddWhileAnInstrumentBoxIsEmptySayingWhy)
{
    ManualTrackingStream empty{"Empty Tracker"};
    CombinedPanel form{DataList{&m_references, &empty}};
    EXPECT_EQ(form.box("comboBoxPostInstrument")->count(), 0);
    form.add();
    EXPECT_TRUE(form.stream().instructions().empty());
    EXPECT_FALSE(form.child<QLabel>("labelAddProblem")->text().isEmpty());

    // Instruments the input learns later, announced on its own thread, make adding possible.
    empty.setInstruments({instrument("5", Eigen::Matrix4d::Identity())});
    std::thread([&] { empty.updated.emitSignal(); }).join();
    EXPECT_TRUE(processEventsUntil([&] { return form.box("comboBoxPostInstrument")->count() == 1; }));
    form.add();
    ASSERT_EQ(form.stream().instructions().size(), 1u);
    EXPECT_EQ(form.stream().instructions()[0].outputInstrument.value(), "7-5");
}

TEST_F(CombinedTrackingStreamControllerTest,
       ChoosingAStreamRefillsOnlyItsInstrumentsAndTheFlagFollowsTheStream)
{
    m_form->box("comboBoxCombinationMode")->setCurrentIndex(1);
    m_form->child<QLineEdit>("lineEditInstrumentName")->setText("kept");
    m_form->box("comboBoxPreStream")->setCurrentIndex(1);
    EXPECT_EQ(m_form->items("comboBoxPreInstrument"), (QStringList{"12;;", "13;;"}));
    EXPECT_EQ(m_form->items("comboBoxPostInstrument"), (QStringList{"12;;", "13;;"}));
    EXPECT_EQ(m_form->box("comboBoxCombinationMode")->currentIndex(), 1);
    EXPECT_EQ(m_form->child<QLineEdit>("lineEditInstrumentName")->text(), "kept");

    auto* forward = m_form->child<QCheckBox>("checkBoxForwardTargetOnly");
    forward->click();
    EXPECT_TRUE(m_form->stream().isForwardWithoutCombination());
    m_form->stream().setForwardWithoutCombination(false);
    m_form->panel.updateGui();
    EXPECT_FALSE(forward->isChecked());
    EXPECT_FALSE(m_form->stream().isForwardWithoutCombination()) << "showing the flag does not set it again";
}

}  // namespace
}  // namespace Tesselon
