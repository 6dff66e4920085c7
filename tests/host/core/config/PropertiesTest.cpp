#include "host/core/config/Properties.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using Attributes = Properties::Attributes;
using Names = std::vector<std::string>;

std::vector<std::string> childNames(const Properties& properties)
{
    std::vector<std::string> names;
    for (const Properties* child : properties.subProperties())
        names.push_back(child->name());
    return names;
}

class PropertiesTest : public testing::Test
{
protected:
    Properties m_properties{"Root"};
};

TEST_F(PropertiesTest, SettingAgainReplacesInPlaceKeepingAnExplicitTypeAttributesMergeInOrder)
{
    m_properties.setParam("a", 1);
    m_properties.setParam("b", 2.5);
    m_properties.setParam("c", true);
    m_properties.setParam("b", std::string("text"));

    EXPECT_EQ(m_properties.paramNames(), (Names{"a", "b", "c"}));
    EXPECT_EQ(m_properties.paramText("b"), "text");
    EXPECT_EQ(m_properties.paramType("b"), ParamType::String);
    m_properties.setParamType("file", ParamType::Path);
    m_properties.setParam("file", std::string("/tmp/a.xml"));
    EXPECT_EQ(m_properties.paramType("file"), ParamType::Path);

    m_properties.setParam("count", 3);
    m_properties.setParamText("count", "4");
    EXPECT_EQ(m_properties.paramType("count"), ParamType::Int);

    m_properties.setParam("size", 5);
    m_properties.setParamAttributes("size", "min: 1, max: 20000");
    m_properties.setParamAttributes("size", "max: 50,hidden:true");

    EXPECT_EQ(m_properties.paramAttributes("size"),
              (Attributes{{"min", "1"}, {"max", "50"}, {"hidden", "true"}}));
    EXPECT_EQ(m_properties.paramText("size"), "5");

    m_properties.setParamAttributes("mode",
                                    "values: 'Pivot3d,NeedleDir', tooltip: 'it''s , here', label: a b");

    EXPECT_EQ(m_properties.paramAttribute("mode", "values"), "Pivot3d,NeedleDir");
    EXPECT_EQ(m_properties.paramAttribute("mode", "tooltip"), "it's , here");
    EXPECT_EQ(m_properties.paramText("mode"), "");  // attributes alone create an empty parameter
    EXPECT_EQ(m_properties.paramType("mode"), ParamType::Unknown);
}

TEST_F(PropertiesTest, SubPropertiesKeepOrderAndRepeatNamesMalformedValuesAndAttributesChangeNothing)
{
    Properties* first = m_properties.addSubProperties("tool");
    m_properties.addSubProperties("camera");
    Properties* second = m_properties.addSubProperties("tool");
    first->setParam("id", 1);
    second->setParam("id", 2);

    EXPECT_EQ(childNames(m_properties), (Names{"tool", "camera", "tool"}));
    EXPECT_EQ(m_properties.subProperties("tool"), (std::vector<Properties*>{first, second}));
    EXPECT_EQ(m_properties.subProperty("tool"), first);
    EXPECT_EQ(m_properties.subProperty("missing"), nullptr);

    Tesselon::Test::LogCapture capture;
    m_properties.setParamText("rate", "fast");
    double rate = 7.0;

    EXPECT_FALSE(m_properties.param("rate", rate));
    EXPECT_EQ(rate, 7.0);
    ASSERT_EQ(capture->messages().size(), 1u);
    EXPECT_EQ(capture->messages()[0].level, 4);
    EXPECT_EQ(capture->messages()[0].category, "Properties");
    EXPECT_EQ(capture->count("Parameter \"rate\" has the text \"fast\", which is not a valid number."), 1);

    int missing = 5;
    EXPECT_FALSE(m_properties.param("missing", missing));
    EXPECT_EQ(missing, 5);
    EXPECT_EQ(capture->messages().size(), 1u);

    m_properties.setParamAttributes("p", "min: 1");
    for (const char* text : {"min", "min: 2,", ": 3", "values: 'a,b", "values: 'a' b", "max: 2, , min: 3"}) {
        EXPECT_THROW(m_properties.setParamAttributes("p", text), std::invalid_argument) << text;
        EXPECT_EQ(m_properties.paramAttributes("p"), (Attributes{{"min", "1"}})) << text;
    }
}

TEST_F(PropertiesTest, RemovesOnlyDirectChildrenAndKeepsTheOthersValid)
{
    Properties* child = m_properties.addSubProperties("child");
    const Properties* grandChild = child->addSubProperties("grandChild");
    Properties* removed = m_properties.addSubProperties("removed");
    for (int i = 0; i < 100; ++i)
        m_properties.addSubProperties("filler");
    const Properties stranger("child");

    EXPECT_FALSE(m_properties.removeSubProperties(grandChild));
    EXPECT_FALSE(m_properties.removeSubProperties(&stranger));
    EXPECT_TRUE(m_properties.removeSubProperties(removed));
    EXPECT_EQ(m_properties.subProperties().front(), child);
    EXPECT_EQ(child->subProperties().front(), grandChild);
    EXPECT_EQ(m_properties.subProperties().size(), 101u);
}

TEST_F(PropertiesTest, CopiesAreDeepAndCopyFromKeepsNameAndAcceptsOwnDescendant)
{
    m_properties.addSubProperties("child")->setParam("x", 1);
    Properties copy = m_properties;
    copy.subProperty("child")->setParam("x", 2);
    Properties added("Other");
    added.addSubProperties(m_properties)->setName("renamed");

    EXPECT_EQ(m_properties.subProperty("child")->paramText("x"), "1");
    EXPECT_EQ(added.subProperty("renamed")->subProperty("child")->paramText("x"), "1");
    EXPECT_EQ(m_properties.name(), "Root");

    m_properties.setParam("top", 1);
    Properties* child = m_properties.addSubProperties("child");
    child->setParam("inner", 2);
    child->addSubProperties("grandChild");

    m_properties.copyFrom(*child);

    EXPECT_EQ(m_properties.name(), "Root");
    EXPECT_EQ(m_properties.paramNames(), (Names{"inner"}));
    EXPECT_EQ(childNames(m_properties), (Names{"grandChild"}));
}

// Each change must make an otherwise equal tree compare unequal.
TEST_F(PropertiesTest, EqualityNoticesEveryDifference)
{
    m_properties.setParam("a", 1);
    m_properties.setParam("b", 2);
    m_properties.setParamAttributes("a", "min: 0, max: 9");
    m_properties.addSubProperties("x")->setParam("deep", 1);
    m_properties.addSubProperties("y");

    const std::vector<std::function<void(Properties&)>> changes = {
        [](Properties& p) { p.setName("Other"); },
        [](Properties& p) { p.setParamText("a", "2"); },
        [](Properties& p) { p.setParamType("a", ParamType::Double); },
        [](Properties& p) {
            p.removeParam("a");
            p.setParam("a", 1);
            p.setParamAttributes("a", "min: 0, max: 9");
        },
        [](Properties& p) {
            p.removeParam("a");
            p.removeParam("b");
            p.setParam("a", 1);
            p.setParamAttributes("a", "max: 9, min: 0");
            p.setParam("b", 2);
        },
        [](Properties& p) { p.subProperty("x")->setParam("deep", 2); },
        [](Properties& p) { p.removeSubProperties(p.subProperty("x")); },
        [](Properties& p) {
            Properties moved = *p.subProperty("x");
            p.removeSubProperties(p.subProperty("x"));
            p.addSubProperties(moved);
        },
    };
    EXPECT_EQ(Properties(m_properties), m_properties);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Properties changed = m_properties;
        changes[i](changed);
        EXPECT_NE(changed, m_properties) << "change " << i;
    }
}

}  // namespace
}  // namespace Tesselon
