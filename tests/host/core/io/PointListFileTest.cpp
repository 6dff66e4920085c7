#include "host/core/io/MarkupsJsonFile.h"
#include "host/core/io/PointCsvFile.h"
#include "host/core/io/PointListFile.h"
#include "host/core/io/PointListFileError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "tests/support/MalformedTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

using Point = PointList::Point;

std::string markups(const std::string& markupFields, const std::string& points)
{
    return R"({"@schema": "https://example.org/markups-schema-v1.0.0.json#", "markups": [{)" + markupFields +
           R"("controlPoints": [)" + points + "]}]}";
}

PointList awkwardPoints()
{
    PointList list;
    list.points = {
        {{0.1, -2.5, 1e-300}, "F-1"},
        {{1378476416.9227552, -0.0, 7}, "skin, \"left\" \xc3\xa9"},
        {Eigen::Vector3d::Random() * 1000, ""},
        {{1, 2, 3}, " padded "},
    };
    return list;
}

PointListFileError failure(const std::function<void()>& action)
{
    return caught<PointListFileError>(action);
}

TEST(MarkupsJsonFile, HonoursTheCoordinateSystemJoinsPointTypesWritesLpsAndNamesMalformedText)
{
    const std::string point = R"({"id": "1", "label": "F-1", "position": [1.5, -2, 3]})";
    for (const auto& [system, expected] : std::vector<std::pair<std::string, Eigen::Vector3d>>{
             {R"("coordinateSystem": "LPS", )", {1.5, -2, 3}},
             {R"("coordinateSystem": "RAS", )", {-1.5, 2, 3}},
             {"", {1.5, -2, 3}},
         }) {
        SCOPED_TRACE(system);
        const PointList list =
            MarkupsJsonFile::fromText(markups(R"("type": "Fiducial", )" + system, point), "a");
        ASSERT_EQ(list.points.size(), 1u);
        EXPECT_EQ(list.points[0], (Point{expected, "F-1"}));
        EXPECT_EQ(list.sourceName, "a");
    }

    const std::string text = R"({"markups": [
        {"type": "Line", "coordinateSystem": "RAS", "controlPoints": [
            {"label": "A", "position": [1, 2, 3]}, {"label": "B", "position": [4, 5, 6]}]},
        {"type": "Curve", "controlPoints": [
            {"label": "C", "position": [0, 0, 0], "positionStatus": "undefined"},
            {"position": [7, 8, 9], "positionStatus": "defined", "orientation": [1, 0, 0, 0, 1, 0, 0, 0, 1]}]},
        {"type": "ClosedCurve", "controlPoints": []}]})";
    const PointList list = MarkupsJsonFile::fromText(text);
    EXPECT_EQ(list.points, (std::vector<Point>{{{-1, -2, 3}, "A"}, {{-4, -5, 6}, "B"}, {{7, 8, 9}, ""}}));

    const QJsonObject root =
        QJsonDocument::fromJson(QByteArray::fromStdString(MarkupsJsonFile::toText(awkwardPoints()))).object();
    EXPECT_TRUE(
        root.value("@schema").toString().endsWith("/Markups/Resources/Schema/markups-schema-v1.0.3.json#"));
    const QJsonObject markup = root.value("markups").toArray().at(0).toObject();
    EXPECT_EQ(markup.value("type").toString(), "Fiducial");
    EXPECT_EQ(markup.value("coordinateSystem").toString(), "LPS");
    EXPECT_EQ(markup.value("controlPoints").toArray().at(1).toObject().value("id").toString(), "2");

    const std::string fiducial = R"("type": "Fiducial", )";
    const std::vector<Malformed> cases = {
        {"bad JSON", "{\n  \"markups\": [\n    {,\n  ]\n}", 3, "malformed JSON"},
        {"not an object", "[1, 2]", 0, "expected a JSON object holding \"markups\""},
        {"other schema", R"({"@schema": "https://example.org/transform-v2.json#", "markups": []})", 0,
         "@schema: expected the URL of a markups schema version 1"},
        {"no markups", R"({"@schema": "markups-schema-v1.0.3.json#"})", 0,
         "markups: expected an array of markups, found nothing"},
        {"markup not an object", R"({"markups": [3]})", 0, "markups[0]: expected a markup object, found 3"},
        {"unknown type", markups(R"("type": "Angle", )", ""), 0,
         "markups[0].type: expected Fiducial, Line, Curve or ClosedCurve, found \"Angle\""},
        {"no type", markups("", ""), 0, "markups[0].type: expected Fiducial"},
        {"no control points", R"({"markups": [{"type": "Fiducial"}]})", 0,
         "markups[0].controlPoints: expected an array"},
        {"unknown system", markups(fiducial + R"("coordinateSystem": "IJK", )", ""), 0,
         "markups[0].coordinateSystem: expected \"LPS\" or \"RAS\", found \"IJK\""},
        {"micrometres", markups(fiducial + R"("coordinateUnits": "um", )", ""), 0,
         "expected \"mm\", found \"um\""},
        {"no position", markups(fiducial, R"({"label": "F"})"), 0,
         "markups[0].controlPoints[0].position: expected 3 finite numbers, found nothing"},
        {"two numbers", markups(fiducial, R"({"position": [1, 2]})"), 0,
         "expected 3 finite numbers, found [1,2]"},
        {"text number", markups(fiducial, R"({"position": [1, 2, 3]}, {"position": [1, "2", 3]})"), 0,
         "controlPoints[1].position: expected 3 finite numbers, found [1,\"2\",3]"},
        {"null number", markups(fiducial, R"({"position": [1, null, 3]})"), 0, "found [1,null,3]"},
        {"huge number", markups(fiducial, R"({"position": [1, 1e999, 3]})"), 1,
         "malformed JSON: illegal number"},
        {"label number", markups(fiducial, R"({"label": 7, "position": [1, 2, 3]})"), 0,
         "controlPoints[0].label: expected a string, found 7"},
        {"name number", markups(fiducial + R"("name": 7, )", ""), 0, "markups[0].name: expected a string"},
        {"odd status", markups(fiducial, R"({"position": [1, 2, 3], "positionStatus": "maybe"})"), 0,
         "positionStatus: expected \"defined\", \"preview\" or \"undefined\""},
    };
    expectEachNamed<PointListFileError>(cases, "points.mrk.json", MarkupsJsonFile::fromText);
}

TEST(PointCsvFile, ReadsHeadersCommentsLabelsAndQuotesAndNamesMalformedLines)
{
    const std::string text =
        "# landmarks\r\n"
        " X , y,Z,Label\r\n"
        "\n"
        "1,2,3\n"
        "  -4.5 , 5e-1 ,6 , tip  \n"
        "# 9,9,9\n"
        "7,8,9,\"a, \"\"b\"\"\" \n"
        "0,0,0,";
    const PointList list = PointCsvFile::fromText(text, "p.csv");
    EXPECT_EQ(list.points,
              (std::vector<Point>{
                  {{1, 2, 3}, ""}, {{-4.5, 0.5, 6}, "tip"}, {{7, 8, 9}, "a, \"b\""}, {{0, 0, 0}, ""}}));
    EXPECT_EQ(PointCsvFile::fromText("x,y,z\n1,2,3").points.size(), 1u);
    EXPECT_TRUE(PointCsvFile::fromText("").points.empty());

    const std::vector<Malformed> cases = {
        {"two values", "x,y,z\n1,2,3\n1,2\n", 3,
         "expected 3 coordinates and an optional label, found 2 values"},
        {"five values", "1,2,3,a,b\n", 1, "found 5 values"},
        {"word", "1,2,3\n\n1,two,3\n", 3, "expected a finite number for y, found \"two\""},
        {"infinity", "1,2,inf\n", 1, "expected a finite number for z, found \"inf\""},
        {"empty coordinate", "1,,3\n", 1, "for y, found \"\""},
        {"late header", "1,2,3\nx,y,z\n", 2, "for x, found \"x\""},
        {"wrong header", "east,north,up\n", 1, "expected the header \"x,y,z\" or \"x,y,z,label\""},
        {"semicolons", "1;2;3\n", 1, "expected the header"},
        {"unclosed quote", "1,2,3,\"tip\n", 1, "a quoted label is not closed"},
        {"text after quote", "1,2,3,\"tip\"x\n", 1,
         "expected ',' or the end of the line after a quoted label"},
    };
    expectEachNamed<PointListFileError>(cases, "points.csv", PointCsvFile::fromText);
}

TEST(PointListFile, RoundTripsExactlyThroughBothFormatsAndRefusesWhatNoFormatCanHold)
{
    QTemporaryDir directory;
    const PointList list = awkwardPoints();
    for (const std::string name : {"points.mrk.json", "POINTS.CSV"}) {
        SCOPED_TRACE(name);
        const std::string path = directory.filePath(QString::fromStdString(name)).toStdString();
        PointListFile::write(list, path);
        const PointList read = PointListFile::read(path);
        EXPECT_EQ(read.points, list.points);
        EXPECT_EQ(read.sourceName, path);
    }

    PointList unwritable;
    unwritable.points = {{{1, std::numeric_limits<double>::infinity(), 3}, "F"}};
    expectNames(failure([&] { PointListFile::write(unwritable, "p.mrk.json"); }), "p.mrk.json", {},
                "point 0 (\"F\") has a position that is not finite");
    expectNames(failure([&] { PointCsvFile::toText(unwritable); }), "", {}, "not finite");
    unwritable.points = {{{1, 2, 3}, "two\nlines"}};
    expectNames(failure([&] { PointCsvFile::toText(unwritable, "p.csv"); }), "p.csv", {}, "line break");
    unwritable.points = {{{1, 2, 3}, "\xff"}};
    expectNames(failure([&] { MarkupsJsonFile::toText(unwritable); }), "", {}, "not valid UTF-8");
    expectNames(failure([] { PointListFile::read("points.fcsv"); }), "points.fcsv", {},
                "expected a point list ending in .mrk.json, .json or .csv");
    expectNames(failure([] { PointListFile::read("/no/such/points.csv"); }), "/no/such/points.csv", {},
                "cannot open for reading");
}

}  // namespace
}  // namespace Tesselon
