#include "host/gui/ScriptApi.h"

#include "host/app/Session.h"
#include "host/core/config/Parameter.h"
#include "host/core/model/AlgorithmControllerFactory.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/gui/ScriptHost.h"
#include "host/gui/StreamController.h"
#include "tests/support/ManualTrackingStream.h"

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

class CountingAlgorithm : public Algorithm
{
public:
    static bool createCompatible(const DataList&, Algorithm** out)
    {
        if (out)
            *out = new CountingAlgorithm;
        return true;
    }
    void compute() override {}

    Parameter<int> count{"count", 3, this};
};

class RatedStream : public Test::ManualTrackingStream
{
public:
    Parameter<double> rate{"rate", 60.0, this};
    Parameter<int> mode{"mode", 0, this};
};

// Shows every algorithm in a stream panel on the one stream, as the plug-in's stream panels do.
class StreamPanels : public AlgorithmControllerFactory
{
public:
    explicit StreamPanels(Stream& stream) : AlgorithmControllerFactory("Test", false), m_stream(stream) {}
    AlgorithmController* create(Algorithm* algorithm) const override
    {
        return new StreamController(algorithm, &m_stream);
    }

private:
    Stream& m_stream;
};

TEST(ScriptApi, AStreamPanelReachesItsStreamsParametersAndInstruments)
{
    AlgorithmFactory algorithms("Test", false);
    algorithms.registerAlgorithm<CountingAlgorithm>("Counting", "Streaming;Counting");
    RatedStream stream;
    stream.mode.setAttribute("values", "average,kalman");
    stream.rate.setAttribute("min", "1");
    TrackingInstrument needle;
    needle.id = TrackerID("Needle");
    needle.matrix.topRightCorner<3, 1>() = Eigen::Vector3d(1, 2, 3);
    stream.setInstruments({needle});
    StreamPanels panels(stream);
    Session session({&algorithms});
    MainWindow window(session, {&panels});
    session.createAlgorithm("Test.Counting", {});

    ScriptHost& host = window.scriptHost();
    const auto value = [&](const char* program) {
        const ScriptHost::Outcome outcome = host.run(program, "t.js");
        EXPECT_TRUE(outcome.ok) << outcome.error.toStdString();
        return host.describe(outcome.value).toStdString();
    };
    EXPECT_EQ(value("var p = tesselon.panels()[0].panel;\n"
                    "[tesselon.parameter(p, 'count'), tesselon.setParameter(p, 'rate', 30),\n"
                    " tesselon.setParameter('Counting', 'mode', 'kalman')]"),
              "[3,30,1]");
    EXPECT_EQ(stream.rate.value(), 30);
    EXPECT_EQ(stream.mode.value(), 1) << "a choice given by its text";
    EXPECT_NE(host.run("tesselon.setParameter(p, 'rate', 0)", "t.js").error.indexOf("refused \"0\""), -1)
        << "a stream takes the value through its configuration, which refuses it";
    EXPECT_EQ(stream.rate.value(), 30);
    EXPECT_EQ(value("var n = tesselon.instruments(p)[0]; [n.id, n.valid, n.pose.slice(12)]"),
              "[\"Needle\",true,[1,2,3,1]]");
    EXPECT_EQ(
        host.run("tesselon.setParameter(p, 'speed', 1)", "t.js").error.toStdString(),
        "t.js:1: Error: The panel \"Counting\" has no parameter \"speed\"; its algorithm has \"count\", "
        "its stream \"rate\", \"mode\".");
}

}  // namespace
}  // namespace Tesselon
