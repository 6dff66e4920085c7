#include "navigation/streams/SmoothedTrackingStreamController.h"

#include "host/gui/ParameterWidget.h"
#include "navigation/plugin/CreateStreamAlgorithm.h"
#include "navigation/streams/SmoothedTrackingStream.h"
#include "tests/navigation/streams/panels/StreamPanel.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/ProcessEventsUntil.h"

#include <QComboBox>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;
using SmoothedPanel = StreamPanel<CreateStreamAlgorithm<SmoothedTrackingStream, true, true, true>,
                                  SmoothedTrackingStreamController>;

class SmoothedTrackingStreamControllerTest : public testing::Test
{
protected:
    ParameterWidget& parameters() { return *m_form.panel.parameterWidget(); }
    /// The names of the shown editors, in the order the stream writes its configuration.
    std::vector<std::string> shownKeys()
    {
        Properties configuration;
        m_form.stream().configuration(&configuration);
        std::vector<std::string> shown;
        for (const std::string& key : configuration.paramNames())
            if (parameters().editor(key))
                shown.push_back(key);
        EXPECT_EQ(static_cast<int>(shown.size()), parameters().editorCount()) << "nothing else is shown";
        return shown;
    }

    ManualTrackingStream m_input{"Tracker"};
    SmoothedPanel m_form{DataList{&m_input}};
};

TEST_F(SmoothedTrackingStreamControllerTest, ShowsTheKeysOfTheModeAndFollowsAConfigurationMadeOnAnotherThread)
{
    EXPECT_EQ(shownKeys(), (std::vector<std::string>{"smoothingMode", "translationError", "angularError",
                                                     "processSigma"}));

    Properties average;
    average.setParam("smoothingMode", int(SmoothedTrackingStream::WeightedAverage));
    average.setParam("smoothingInterval", 50);
    std::thread([&] { m_form.stream().configure(&average); }).join();
    ASSERT_TRUE(processEventsUntil([&] { return parameters().editor("smoothingInterval"); }));
    EXPECT_EQ(shownKeys(), (std::vector<std::string>{"smoothingMode", "smoothingInterval"}));
    EXPECT_EQ(qobject_cast<QSpinBox*>(parameters().editor("smoothingInterval"))->value(), 50);
    EXPECT_EQ(qobject_cast<QComboBox*>(parameters().editor("smoothingMode"))->currentIndex(),
              SmoothedTrackingStream::WeightedAverage);
}

TEST_F(SmoothedTrackingStreamControllerTest, EditsInThePanelConfigureTheStream)
{
    qobject_cast<QComboBox*>(parameters().editor("smoothingMode"))
        ->setCurrentIndex(SmoothedTrackingStream::WeightedAverage);
    EXPECT_EQ(m_form.stream().smoothingMode.value(), SmoothedTrackingStream::WeightedAverage);
    ASSERT_TRUE(processEventsUntil([&] { return parameters().editor("smoothingInterval"); }))
        << "the interval of the new mode is offered";
    qobject_cast<QSpinBox*>(parameters().editor("smoothingInterval"))->setValue(25);
    EXPECT_EQ(m_form.stream().smoothingInterval.value(), 25);
}

}  // namespace
}  // namespace Tesselon
