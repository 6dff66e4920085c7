#include "host/core/base/Log.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/Algorithm.h"
#include "host/gui/DefaultAlgorithmController.h"
#include "host/gui/ParameterWidget.h"
#include "tests/support/ProcessEventsUntil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>
#include <thread>

namespace Tesselon {
namespace {

/// One parameter of every kind the panel edits, plus a hidden one and one without an editor.
class ToyAlgorithm : public Algorithm
{
public:
    ToyAlgorithm()
    {
        iterations.setLabel("Iterations");
        iterations.setAttribute("tooltip", "How often the fit is refined.");
        threshold.setAttribute("min", "-2.5");
        threshold.setAttribute("max", "7.5");
        mode.setAttribute("values", "Pivot, Direction, Both");
        secret.setAttribute("hidden", "true");
        setFactoryInfo({"Toy;Toy Fit", "Toy Fit", {}});
    }

    void compute() override
    {
        ++computeCount;
        seenIterations = iterations;
        if (throwWith)
            throw std::runtime_error(throwWith);
        if (failWith != Success)
            Log::error("ToyAlgorithm", "The points are collinear.");
        setStatus(failWith);
    }

    Parameter<int> iterations{"iterations", 3, this};
    Parameter<double> threshold{"threshold", 1.5, this};
    Parameter<bool> enabled{"enabled", false, this};
    Parameter<std::string> name{"name", "tip", this};
    Parameter<int> mode{"mode", 1, this};
    Parameter<int> secret{"secret", 42, this};
    Parameter<unsigned> count{"count", 4, this};
    Parameter<Eigen::Vector3d> offset{"offset", Eigen::Vector3d(1, 2, 3), this};
    Parameter<Eigen::Matrix4d> pose{"pose", Eigen::Matrix4d::Identity(), this};

    int computeCount = 0, seenIterations = 0, failWith = Success;
    const char* throwWith = nullptr;
};

class DefaultAlgorithmControllerTest : public testing::Test
{
protected:
    template <class Editor>
    Editor* editor(const char* name)
    {
        return qobject_cast<Editor*>(m_panel.parameterWidget()->editor(name));
    }

    ToyAlgorithm m_algorithm;
    DefaultAlgorithmController m_panel{&m_algorithm};
};

TEST_F(DefaultAlgorithmControllerTest, OffersAnEditorByTypeShowingTheValueAndNoneForHiddenParameters)
{
    const ParameterWidget& form = *m_panel.parameterWidget();
    const struct
    {
        const char* parameter;
        const char* editorClass;
    } cases[] = {{"iterations", "QSpinBox"}, {"threshold", "QDoubleSpinBox"},
                 {"enabled", "QCheckBox"},   {"name", "QLineEdit"},
                 {"mode", "QComboBox"},      {"count", "QSpinBox"},
                 {"offset", "QWidget"},      {"pose", "QLineEdit"}};
    for (const auto& c : cases) {
        const QWidget* widget = form.editor(c.parameter);
        ASSERT_NE(widget, nullptr) << c.parameter;
        EXPECT_STREQ(widget->metaObject()->className(), c.editorClass) << c.parameter;
    }
    EXPECT_EQ(form.editor("secret"), nullptr);
    EXPECT_EQ(form.editorCount(), 8);

    EXPECT_EQ(editor<QSpinBox>("iterations")->value(), 3);
    EXPECT_DOUBLE_EQ(editor<QDoubleSpinBox>("threshold")->value(), 1.5);
    EXPECT_EQ(editor<QLineEdit>("name")->text(), "tip");
    EXPECT_EQ(editor<QComboBox>("mode")->currentText(), "Direction");
    EXPECT_EQ(form.findChild<QDoubleSpinBox*>("offset.z")->value(), 3.0);
    EXPECT_TRUE(editor<QLineEdit>("pose")->isReadOnly());
}

TEST_F(DefaultAlgorithmControllerTest, TakesRangesChoicesLabelsAndTooltipsFromAttributes)
{
    const QDoubleSpinBox* threshold = editor<QDoubleSpinBox>("threshold");
    EXPECT_EQ(threshold->minimum(), -2.5);
    EXPECT_EQ(threshold->maximum(), 7.5);
    const QSpinBox* iterations = editor<QSpinBox>("iterations");
    EXPECT_EQ(iterations->minimum(), INT_MIN);
    EXPECT_EQ(iterations->maximum(), INT_MAX);

    const QComboBox* mode = editor<QComboBox>("mode");
    ASSERT_EQ(mode->count(), 3);
    EXPECT_EQ(mode->itemText(2), "Both");

    EXPECT_EQ(iterations->toolTip(), "How often the fit is refined.");
    QStringList labels;
    for (const QLabel* label : m_panel.parameterWidget()->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Iterations"));
    EXPECT_TRUE(labels.contains("threshold"));
    EXPECT_FALSE(labels.contains("secret"));
}

TEST_F(DefaultAlgorithmControllerTest, EditingAnEditorSetsTheParameterAtOnceUnlessItRejectsTheValue)
{
    QStringList edited;
    QObject::connect(m_panel.parameterWidget(), &ParameterWidget::parameterEdited,
                     [&](const QString& name) { edited << name; });
    const struct
    {
        const char* parameter;
        std::function<void()> edit;
        std::function<bool()> seen;
    } cases[] = {
        {"iterations", [&] { editor<QSpinBox>("iterations")->setValue(7); },
         [&] { return m_algorithm.iterations == 7; }},
        {"threshold", [&] { editor<QDoubleSpinBox>("threshold")->setValue(2.25); },
         [&] { return m_algorithm.threshold == 2.25; }},
        {"enabled", [&] { editor<QCheckBox>("enabled")->setChecked(true); },
         [&] { return m_algorithm.enabled.value(); }},
        {"name", [&] { editor<QLineEdit>("name")->setText("needle"); },
         [&] { return m_algorithm.name.value() == "needle"; }},
        {"mode", [&] { editor<QComboBox>("mode")->setCurrentIndex(2); },
         [&] { return m_algorithm.mode == 2; }},
        {"offset", [&] { m_panel.findChild<QDoubleSpinBox*>("offset.y")->setValue(-5); },
         [&] { return m_algorithm.offset.value() == Eigen::Vector3d(1, -5, 3); }},
    };
    for (const auto& c : cases) {
        edited.clear();
        c.edit();
        EXPECT_TRUE(c.seen()) << c.parameter;
        EXPECT_EQ(edited, QStringList{c.parameter});
    }

    // A value the parameter rejects is undone in the editor.
    editor<QSpinBox>("count")->setValue(-1);
    EXPECT_EQ(m_algorithm.count.value(), 4u);
    EXPECT_EQ(editor<QSpinBox>("count")->value(), 4);
}

TEST(DefaultAlgorithmController, ChangesMadeElsewhereReachTheEditorsWithoutBeingEditsEvenFromOtherThreads)
{
    ToyAlgorithm algorithm;
    DefaultAlgorithmController panel(&algorithm, {}, true, true);
    int edits = 0;
    QObject::connect(panel.parameterWidget(), &ParameterWidget::parameterEdited, [&] { ++edits; });
    auto* iterations = qobject_cast<QSpinBox*>(panel.parameterWidget()->editor("iterations"));
    auto* name = qobject_cast<QLineEdit*>(panel.parameterWidget()->editor("name"));
    auto* mode = qobject_cast<QComboBox*>(panel.parameterWidget()->editor("mode"));

    algorithm.iterations = 11;
    algorithm.name = std::string("shaft");
    algorithm.mode = 0;
    algorithm.offset = Eigen::Vector3d(4, 5, 6);
    EXPECT_EQ(iterations->value(), 11);
    EXPECT_EQ(name->text(), "shaft");
    EXPECT_EQ(mode->currentIndex(), 0);
    EXPECT_EQ(panel.findChild<QDoubleSpinBox*>("offset.x")->value(), 4.0);

    std::thread([&] { algorithm.threshold = 6.0; }).join();
    auto* threshold = qobject_cast<QDoubleSpinBox*>(panel.parameterWidget()->editor("threshold"));
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([&] { return threshold->value() == 6.0; }));

    // With live update on, an echoed edit would have computed.
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(algorithm.computeCount, 0);

    iterations->setValue(12);
    EXPECT_EQ(algorithm.computeCount, 1);
    EXPECT_EQ(algorithm.seenIterations, 12);
}

TEST(DefaultAlgorithmController, ComputeButtonRunsTheAlgorithmAndShowsTheOutcome)
{
    const struct
    {
        int status;
        const char* throwWith;
        QString shown;
    } cases[] = {
        {Algorithm::Success, nullptr, "Done."},
        {3, nullptr, "Failed with status 3. The points are collinear."},
        {Algorithm::Success, "no input selected", "Failed: no input selected"},
    };
    for (const auto& c : cases) {
        ToyAlgorithm algorithm;
        algorithm.failWith = c.status;
        algorithm.throwWith = c.throwWith;
        DefaultAlgorithmController panel(&algorithm);
        auto* button = panel.findChild<QPushButton*>("compute");
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_EQ(algorithm.computeCount, 1);
        EXPECT_EQ(panel.statusText(), c.shown);
    }
}

TEST(DefaultAlgorithmController, TitleIsTheFactoryNameUnlessGivenAndTheButtonCanBeLeftOut)
{
    ToyAlgorithm algorithm;
    DefaultAlgorithmController named(&algorithm);
    EXPECT_EQ(named.title(), "Toy Fit");
    EXPECT_EQ(named.widget(), &named);

    DefaultAlgorithmController titled(&algorithm, "Calibrate", false);
    EXPECT_EQ(titled.title(), "Calibrate");
    EXPECT_EQ(titled.findChild<QPushButton*>("compute"), nullptr);
}

}  // namespace
}  // namespace Tesselon
