#include "host/core/io/PropertiesFile.h"

#include "tests/support/FormatErrors.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using Attributes = Properties::Attributes;
using namespace Tesselon::Test;

Properties roundTrip(const Properties& properties)
{
    return PropertiesFile::fromXml(PropertiesFile::toXml(properties), "round trip");
}

std::string fileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(PropertiesFileRoundTrip, KeepsEveryValueTypeAndRepeatedChildrenAndAttributesInOrder)
{
    using Limits = std::numeric_limits<double>;
    const std::vector<double> doubles = {0.1,           1e-300,           -0.0,          Limits::denorm_min(),
                                         Limits::max(), Limits::lowest(), Limits::min(), Limits::infinity()};
    Properties properties("Values");
    for (std::size_t i = 0; i < doubles.size(); ++i)
        properties.setParam("double" + std::to_string(i), doubles[i]);
    properties.setParam("bool", true);
    properties.setParam("int", std::numeric_limits<int>::min());
    properties.setParam("vector", Eigen::Vector3d(0.1, -0.0, 1e-300));
    Eigen::Matrix4d matrix = Eigen::Matrix4d::Random();
    matrix(2, 3) = Limits::denorm_min();
    properties.setParam("matrix", matrix);

    const Properties read = roundTrip(properties);

    ASSERT_EQ(read, properties);
    for (std::size_t i = 0; i < doubles.size(); ++i) {
        double value = 0;
        ASSERT_TRUE(read.param("double" + std::to_string(i), value));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(doubles[i])) << i;
    }
    Eigen::Matrix4d readMatrix;
    ASSERT_TRUE(read.param("matrix", readMatrix));
    EXPECT_EQ(readMatrix, matrix);
    EXPECT_EQ(read.paramType("matrix"), ParamType::Matrix4);

    Properties scene("Scene");
    scene.setParamAttributes("mode", "values: 'Pivot3d,NeedleDir', hidden: true, min: 1");
    scene.setParamType("mode", ParamType::Enumeration);
    for (int i = 0; i < 4; ++i) {
        Properties* tool = scene.addSubProperties(i == 2 ? "camera" : "tool");
        tool->setParam("index", i);
        tool->addSubProperties("tool")->setParam("nested", i);
    }
    scene.addSubProperties("empty");

    const Properties readScene = roundTrip(scene);

    EXPECT_EQ(readScene, scene);
    EXPECT_EQ(readScene.paramAttributes("mode"),
              (Attributes{{"values", "Pivot3d,NeedleDir"}, {"hidden", "true"}, {"min", "1"}}));
    ASSERT_EQ(readScene.subProperties("tool").size(), 3u);
    EXPECT_EQ(readScene.subProperties("tool")[2]->paramText("index"), "3");
}

// Random trees whose every name, value, attribute and child name is built from pieces that XML mangles
// unless escaped with care: markup, entities, CDATA ends, white space at the ends, lone CR, CRLF, DEL,
// NEL and multi-byte UTF-8.
class RandomTree
{
public:
    explicit RandomTree(unsigned seed) : m_random(seed) {}

    Properties make(int depth)
    {
        Properties properties(text());
        const int params = number(0, 5);
        for (int i = 0; i < params; ++i)
            addParam(properties);
        const int children = depth > 0 ? number(0, 3) : 0;
        for (int i = 0; i < children; ++i)
            properties.addSubProperties(make(depth - 1));
        return properties;
    }

private:
    void addParam(Properties& properties)
    {
        const std::string name = text();
        if (number(0, 1) == 0)
            properties.setParam(
                name, std::bit_cast<double>(std::uniform_int_distribution<std::uint64_t>()(m_random)));
        else
            properties.setParamText(name, text());
        if (number(0, 2) == 0)
            properties.setParamType(name, static_cast<ParamType>(number(0, 8)));
        const int attributes = number(0, 3);
        for (int i = 0; i < attributes; ++i)
            properties.setParamAttribute(name, text(), text());
    }

    std::string text()
    {
        static const std::vector<std::vector<std::string>> groups = {
            {"<", ">", "&", "\"", "'", ";", "]]>", "&lt;", "&amp;"},
            {" ", "\t", "\n", "\r", "\r\n"},
            {"a", "Z", "0", "\x7F", "\xC2\x85", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}};
        std::string result;
        const int length = number(0, 8);
        for (int i = 0; i < length; ++i) {
            const auto& group = groups[static_cast<std::size_t>(number(0, 2))];
            result += group[static_cast<std::size_t>(number(0, static_cast<int>(group.size()) - 1))];
        }
        return result;
    }

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::mt19937 m_random;
};

TEST(PropertiesFileRoundTrip, RandomTreesRoundTrip)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const Properties properties = RandomTree(seed).make(3);
        ASSERT_EQ(roundTrip(properties), properties) << "seed " << seed << '\n'
                                                     << PropertiesFile::toXml(properties);
    }
}

const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The body starts on line 3.
std::string inRoot(const std::string& body)
{
    return header + "<properties name=\"a\">\n" + body + "\n</properties>\n";
}

// `depth` properties elements, one inside the other, one per line.
std::string nested(int depth)
{
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<properties name=\"p\">\n";
    for (int i = 0; i < depth; ++i)
        xml += "</properties>";
    return xml;
}

TEST(PropertiesFileReading, AcceptsHandWrittenLayoutAndMalformedInputNamesSourceLineAndProblem)
{
    struct BadInput
    {
        const char* description;
        std::string xml;
        int line;
        std::string fragment;
    };
    const std::vector<BadInput> inputs = {
        {"empty", "", 1, "expected a <properties> element"},
        {"unclosed root", header + "<properties name=\"a\">\n<param name=\"x\" value=\"1\"/>\n", 4,
         "<properties> (opened on line 2) is closed"},
        {"unclosed param", header + "<properties name=\"a\">\n<param name=\"x\" value=\"1\">\n", 4,
         "<param> (opened on line 3) is closed"},
        {"wrong root", header + "<param name=\"x\" value=\"1\"/>", 2, "expected the root element"},
        {"root without name", header + "<properties>\n</properties>", 2, "missing attribute \"name\""},
        {"unknown element", inRoot("<paramm name=\"x\" value=\"1\"/>"), 3, "unknown element <paramm>"},
        {"param without name", inRoot("<param value=\"1\"/>"), 3, "missing attribute \"name\" on <param>"},
        {"param without value", inRoot("<param name=\"x\"/>"), 3, "missing attribute \"value\""},
        {"bad type", inRoot("\n<param name=\"x\" type=\"9\" value=\"1\"/>"), 4, "bad type number \"9\""},
        {"misspelt attribute", inRoot("<param name=\"x\" vlaue=\"1\"/>"), 3, "unknown attribute \"vlaue\""},
        {"mismatched end tag", inRoot("<param name=\"x\" value=\"1\">"), 4, "malformed XML"},
        {"duplicate parameter", inRoot("<param name=\"x\" value=\"1\"/>\n<param name=\"x\" value=\"2\"/>"), 4,
         "parameter \"x\" appears twice"},
        {"duplicate attribute",
         inRoot("<param name=\"x\" value=\"1\">\n<attribute name=\"min\" value=\"0\"/>\n"
                "<attribute name=\"min\" value=\"1\"/></param>"),
         5, "attribute \"min\" of parameter \"x\" appears twice"},
        {"text in properties", inRoot("  stray"), 4, "unexpected text \"stray\""},
        {"text in param", inRoot("<param name=\"x\" value=\"1\">2</param>"), 3, "unexpected text \"2\""},
        {"element in attribute",
         inRoot("<param name=\"x\" value=\"1\">\n<attribute name=\"k\" "
                "value=\"v\">\n<b/></attribute></param>"),
         5, "unknown element <b>"},
        {"undeclared entity", header + "<properties name=\"a&nbsp;\"/>", 2, "malformed XML"},
        {"document type", header + "<!DOCTYPE properties>\n<properties name=\"a\"/>", 2,
         "document type declarations are not supported"},
        {"raw control character", header + "<properties name=\"a\x01\"/>", 2, "malformed XML"},
        // Hostile input: a message quotes only a short excerpt, and nesting is bounded before it recurses.
        {"long stray text", inRoot(std::string(5000, 'x')), 4,
         "unexpected text \"" + std::string(60, 'x') + "…\" inside"},
        {"deep nesting", header + nested(129), 130, "nest deeper than the 128 levels"}};
    for (const BadInput& input : inputs) {
        SCOPED_TRACE(input.description);
        const PropertiesFileError error =
            caught<PropertiesFileError>([&] { PropertiesFile::fromXml(input.xml, "bad.xml"); });
        expectNames(error, "bad.xml", input.line, input.fragment);
        EXPECT_EQ(std::string(error.what()).rfind("bad.xml, line " + std::to_string(input.line) + ": ", 0),
                  0u)
            << error.what();
    }

    const std::string xml =
        "<?xml version=\"1.0\"?>\r\n"
        "<!-- calibration of the pointer -->\r\n"
        "<properties name=\"Pointer\">\r\n"
        "  <param value=\"0.5\" name=\"rate\" type=\"3\"></param>\r\n"
        "  <param name=\"mode\" value=\"1\"><attribute value=\"a,b\" name=\"values\"/></param>\r\n"
        "  <properties name=\"tip\"><param name=\"offset\" type=\"5\" value=\"0 0 -150\"/></properties>\r\n"
        "</properties>\r\n";

    const Properties read = PropertiesFile::fromXml(xml);
    EXPECT_NO_THROW(PropertiesFile::fromXml(header + nested(128)));

    double rate = 0;
    Eigen::Vector3d offset;
    EXPECT_TRUE(read.param("rate", rate));
    EXPECT_EQ(rate, 0.5);
    EXPECT_EQ(read.paramAttribute("mode", "values"), "a,b");
    ASSERT_NE(read.subProperty("tip"), nullptr);
    EXPECT_TRUE(read.subProperty("tip")->param("offset", offset));
    EXPECT_EQ(offset, Eigen::Vector3d(0, 0, -150));
}

class PropertiesFileOnDisk : public testing::Test
{
protected:
    std::string path(const char* name) const { return QDir(m_directory.path()).filePath(name).toStdString(); }

    QTemporaryDir m_directory;
};

TEST_F(PropertiesFileOnDisk,
       WritesAndReadsBackRefusingTextsXmlCannotHoldLeavingTheOldFileAndReportsUnopenableFiles)
{
    Properties properties("Disk");
    properties.setParam("text", std::string("a\r\nb"));
    properties.addSubProperties("child")->setParam("x", 0.1);
    PropertiesFile::write(properties, path("settings.xml"));
    EXPECT_EQ(PropertiesFile::read(path("settings.xml")), properties);
    const std::string before = fileContents(path("settings.xml"));

    properties.subProperty("child")->setParam("bell", std::string("ring\x07"));
    const std::string message =
        caught<PropertiesFileError>([&] { PropertiesFile::write(properties, path("settings.xml")); }).what();
    EXPECT_NE(message.find(path("settings.xml")), std::string::npos) << message;
    EXPECT_NE(message.find("parameter \"bell\" in properties \"Disk/child\""), std::string::npos) << message;
    EXPECT_NE(message.find("U+0007"), std::string::npos) << message;
    EXPECT_EQ(fileContents(path("settings.xml")), before);

    const std::vector<std::string> texts = {std::string("nul\0", 4), "\x01", "\x0B",        "\x1F",
                                            "\xEF\xBF\xBE",          "\xC3", "\xED\xA0\x80"};
    for (const std::string& text : texts) {
        Properties properties("P");
        properties.setParamAttribute("p", "tooltip", text);
        EXPECT_THROW(PropertiesFile::toXml(properties), PropertiesFileError);
        Properties named(text);
        EXPECT_THROW(PropertiesFile::toXml(named), PropertiesFileError);
    }

    const std::string missing = path("missing.xml"), unreachable = path("no-such-folder/settings.xml");
    expectNames(caught<PropertiesFileError>([&] { PropertiesFile::read(missing); }), missing, 0,
                "cannot open for reading");
    expectNames(caught<PropertiesFileError>([&] { PropertiesFile::write(Properties("P"), unreachable); }),
                unreachable, 0, "cannot");
}

}  // namespace
}  // namespace Tesselon
