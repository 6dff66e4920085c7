#include "host/core/base/SignalReceiver.h"
#include "host/core/config/Configurable.h"
#include "host/core/config/Parameter.h"
#include "host/core/io/PropertiesFile.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

enum class Method
{
    Pivot = 0,
    Direction = 1
};

class Tracker : public Configurable
{
public:
    Tracker()
    {
        rate.setAttribute("min", "0");
        rate.setAttribute("max", "100");
        method.setAttribute("values", "Pivot,Direction");
    }

    Parameter<double> rate{"rate", 0.5, this};
    Parameter<int> samples{"samples", 10, this};
    Parameter<std::string> toolName{"toolName", "pointer", this};
    Parameter<Eigen::Vector3d> offset{"offset", Eigen::Vector3d(0, 0, -150), this};
    Parameter<Method> method{"method", Method::Pivot, this};
};

class ChangeCounter : public SignalReceiver
{
public:
    explicit ChangeCounter(ParameterBase& parameter)
    {
        parameter.valueChanged.connect(this, [this] { ++m_count; });
    }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

TEST(ParameterChange, NotifiesRealChangesOnlyAndRegistrationIgnoresDuplicatesForgetsTheDestroyedAndMoves)
{
    Tracker tracker;
    ChangeCounter rateChanges(tracker.rate);
    tracker.rate = 0.5;
    EXPECT_EQ(rateChanges.count(), 0);
    tracker.rate = 0.75;
    tracker.rate.setValue(0.75);
    EXPECT_FALSE(tracker.rate.setText("fast"));
    EXPECT_EQ(tracker.rate.value(), 0.75);
    EXPECT_TRUE(tracker.rate.setText("2"));
    EXPECT_EQ(tracker.rate.text(), "2");
    EXPECT_EQ(rateChanges.count(), 2);

    Parameter<double> unranged{"unranged", 0.0};
    ChangeCounter changes(unranged);
    unranged = std::nan("");
    unranged = std::nan("");
    EXPECT_EQ(changes.count(), 1);

    Tracker registry;
    registry.registerParameter(&registry.samples);
    EXPECT_EQ(registry.parameter("offset"), &registry.offset);
    EXPECT_EQ(registry.parameter("missing"), nullptr);
    auto extra = std::make_unique<Parameter<bool>>("extra", false, &registry);
    EXPECT_EQ(registry.parameter("extra"), extra.get());
    extra.reset();
    EXPECT_EQ(registry.parameter("extra"), nullptr);
    EXPECT_EQ(registry.parameters().size(), 5u);

    auto dying = std::make_unique<Tracker>();
    Parameter<int> outside("outside", 1, dying.get());
    dying.reset();
    EXPECT_EQ(outside.owner(), nullptr);

    Tracker first;
    Configurable second;
    second.registerParameter(&first.rate);

    EXPECT_EQ(first.parameter("rate"), nullptr);
    EXPECT_EQ(second.parameters(), (std::vector<ParameterBase*>{&first.rate}));
    EXPECT_EQ(first.rate.owner(), &second);
    second.unregisterParameter(&first.rate);
    EXPECT_EQ(first.rate.owner(), nullptr);
}

// Every way in (setter, text, configure) keeps the declared rules, refusing with one sentence.
TEST(ParameterRules, RefuseWhatBreaksThemAndKeepTheValue)
{
    Tracker tracker;
    tracker.samples.setAttribute("min", "1");
    tracker.toolName.setCheck([](const std::string& name) -> std::optional<std::string> {
        return name.empty() ? std::optional<std::string>("a tool needs a name") : std::nullopt;
    });
    struct Case
    {
        ParameterBase& parameter;
        std::string text;
        bool accepted;
        std::string sentence;
    };
    const std::vector<Case> cases = {
        {tracker.rate, "100", true, ""},
        {tracker.rate, "100.5", false,
         "Rejected rate \"100.5\": it must be between 0 and 100; keeping \"0.5\"."},
        {tracker.rate, "nan", false, "Rejected rate \"nan\": it is not a finite number; keeping \"0.5\"."},
        {tracker.samples, "0", false, "Rejected samples \"0\": it must be at least 1; keeping \"10\"."},
        {tracker.method, "1", true, ""},
        {tracker.method, "2", false,
         "Rejected method \"2\": the choices are 0 to 1 (Pivot,Direction); keeping \"0\"."},
        {tracker.toolName, "", false, "Rejected toolName \"\": a tool needs a name; keeping \"pointer\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameter.name() + " = " + c.text);
        const std::string before = c.parameter.text();
        for (int way = 0; way < 2; ++way) {
            Tesselon::Test::LogCapture log;
            ChangeCounter changes(c.parameter);
            Properties properties;
            properties.setParamText(c.parameter.name(), c.text);
            const bool accepted = way == 0 ? c.parameter.setText(c.text) : c.parameter.readFrom(properties);
            EXPECT_EQ(accepted, c.accepted);
            EXPECT_EQ(c.parameter.text(), c.accepted ? c.text : before);
            EXPECT_EQ(changes.count(), c.accepted && c.text != before ? 1 : 0);
            EXPECT_EQ(log->count(c.sentence), c.accepted ? 0 : 1);
            c.parameter.setText(before);
        }
    }
}

TEST(ConfigurableTest, WritesInRegistrationOrderRoundTripsReadsOnlyValidValuesAndResetsToDefaults)
{
    Tracker source;
    source.rate = 0.1;
    source.samples = -3;
    source.toolName = std::string("needle <2>\n");
    source.offset = Eigen::Vector3d(1e-300, -0.0, 7);
    source.method = Method::Direction;
    Properties written("Tracker");
    source.configuration(&written);
    // The order the parameters are declared, and so registered, in.
    EXPECT_EQ(written.paramNames(),
              (std::vector<std::string>{"rate", "samples", "toolName", "offset", "method"}));
    EXPECT_EQ(written.paramType("offset"), ParamType::Vector3);
    EXPECT_EQ(written.paramType("method"), ParamType::Enumeration);
    EXPECT_EQ(written.paramAttributes("rate"), (Properties::Attributes{{"min", "0"}, {"max", "100"}}));

    Tracker target;
    const Properties read = PropertiesFile::fromXml(PropertiesFile::toXml(written));
    target.configure(&read);

    Properties rewritten("Tracker");
    target.configuration(&rewritten);
    EXPECT_EQ(rewritten, written);
    EXPECT_EQ(target.method.value(), Method::Direction);

    Tesselon::Test::LogCapture capture;
    Tracker tracker;
    ChangeCounter sampleChanges(tracker.samples);
    Properties properties;
    properties.setParam("rate", 9.0);
    properties.setParamText("samples", "many");
    properties.setParam("unrelated", 1);

    tracker.configure(&properties);
    tracker.configure(nullptr);

    EXPECT_EQ(tracker.rate.value(), 9.0);
    EXPECT_EQ(tracker.samples.value(), 10);
    EXPECT_EQ(tracker.toolName.value(), "pointer");
    EXPECT_EQ(sampleChanges.count(), 0);
    EXPECT_EQ(capture->count("Parameter \"samples\" has the text \"many\", which is not a valid integer."),
              1);

    tracker.toolName = std::string("other");
    tracker.method = Method::Direction;
    tracker.rate.setDefaultValue(4.0);
    ChangeCounter methodChanges(tracker.method);
    tracker.configureDefaults();

    EXPECT_EQ(tracker.rate.value(), 4.0);
    EXPECT_EQ(tracker.toolName.value(), "pointer");
    EXPECT_EQ(tracker.method.value(), Method::Pivot);
    EXPECT_EQ(methodChanges.count(), 1);
    EXPECT_EQ(sampleChanges.count(), 0);
}

}  // namespace
}  // namespace Tesselon
