#include "host/core/config/Parameter.h"
#include "host/gui/ParameterWidget.h"
#include "host/gui/StreamController.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "tests/support/ManualTrackingStream.h"
#include "tests/support/ProcessEventsUntil.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace Tesselon {
namespace {

class ConfigurableStream : public Tesselon::Test::ManualTrackingStream
{
public:
    Parameter<int> port{"port", IgtlAddress::defaultPort, this};
};

class StreamControllerTest : public testing::Test
{
protected:
    QPushButton* button(const char* name) { return m_panel.findChild<QPushButton*>(name); }
    QString message() { return m_panel.findChild<QLabel*>("message")->text(); }

    ConfigurableStream m_stream;
    StreamController m_panel{nullptr, &m_stream};
};

TEST_F(StreamControllerTest, StateLabelFollowsChangesEmittedOnTheStreamsThread)
{
    EXPECT_EQ(m_panel.findChild<QLabel*>("name")->text(), "Manual Stream");
    EXPECT_EQ(m_panel.stateText(), "Closed");
    std::thread([this] { m_stream.changeState(Stream::Paused); }).join();
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([this] { return m_panel.stateText() == "Paused"; }));
    EXPECT_FALSE(button("start")->isEnabled());
    EXPECT_TRUE(button("stop")->isEnabled());
}

TEST_F(StreamControllerTest, StartOpensAndStartsAClosedStreamAndStopStopsIt)
{
    button("start")->click();
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([this] { return m_panel.stateText() == "Running"; }));
    EXPECT_TRUE(m_stream.isRunning());
    button("stop")->click();
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([this] { return m_panel.stateText() == "Open"; }));
    EXPECT_TRUE(message().isEmpty());
}

TEST_F(StreamControllerTest, AFailingStartIsShownWithTheReason)
{
    m_stream.throwOnOpen = true;
    button("start")->click();
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([this] { return !message().isEmpty(); }));
    EXPECT_EQ(message(), "The stream could not be started: the device is unplugged.");
    EXPECT_TRUE(Tesselon::Test::processEventsUntil([this] { return m_panel.stateText() == "Failed"; }));
    EXPECT_THAT(m_panel.findChild<QLabel*>("state")->toolTip().toStdString(),
                testing::HasSubstr("the device is unplugged"));
}

TEST_F(StreamControllerTest, ShowsAndEditsTheStreamsParameters)
{
    auto* port = qobject_cast<QSpinBox*>(m_panel.parameterWidget()->editor("port"));
    ASSERT_NE(port, nullptr);
    port->setValue(IgtlAddress::defaultPort + 1);
    EXPECT_EQ(m_stream.port.value(), IgtlAddress::defaultPort + 1);
}

}  // namespace
}  // namespace Tesselon
