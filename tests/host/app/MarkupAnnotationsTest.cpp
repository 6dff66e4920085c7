#include "host/app/MarkupAnnotations.h"

#include "host/core/io/PointListFileError.h"
#include "host/gl/GlLine.h"
#include "tests/support/FormatErrors.h"
#include "tests/support/TextFile.h"

#include <fmt/format.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace Tesselon {
namespace {

using Points = std::vector<Eigen::Vector3d>;
using namespace std::string_literals;

// A markup of the given type and fields through the points (0,0,0), (1,0,0), (2,0,0), ... (LPS).
std::string markup(const std::string& type, int points, const std::string& fields = "")
{
    std::string list;
    for (int i = 0; i < points; ++i)
        list += (i ? ", " : "") + fmt::format(R"({{"position": [{}, 0, 0]}})", i);
    return fmt::format(R"({{"type": "{}", {}"controlPoints": [{}]}})", type, fields, list);
}

std::string markupsFile(const QTemporaryDir& folder, const std::vector<std::string>& markups)
{
    std::string joined;
    for (const std::string& one : markups)
        joined += (joined.empty() ? "" : ", ") + one;
    return Tesselon::Test::writeTextFile(folder, "plan.mrk.json", R"({"markups": [)" + joined + "]}");
}

// Names by the markup or by the file and place in it: see the session's workspace test.
TEST(MarkupAnnotations, MakesOneObjectPerMarkupOfItsKind)
{
    QTemporaryDir folder;
    const std::vector<std::tuple<std::string, const char*, Points>> cases = {
        {markup("Fiducial", 3), "Points", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
        {markup("Line", 3), "Line", {{0, 0, 0}, {1, 0, 0}}},
        {markup("Curve", 3), "Curve", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
        {markup("ClosedCurve", 3), "Curve", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 0}}},
    };
    for (const auto& [text, kind, points] : cases) {
        const auto objects = MarkupAnnotations::read(markupsFile(folder, {text}));
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(MarkupAnnotations::kindOf(*objects[0]) + " " + objects[0]->name(),
                  kind + " plan.mrk.json"s);
        EXPECT_EQ(objects[0]->points(), points) << text;
    }
}

TEST(MarkupAnnotations, RefusesALineOrCurveWithoutTwoGoodPointsFromAFileOrAWorkspace)
{
    QTemporaryDir folder;
    for (const std::string type : {"Line", "Curve", "ClosedCurve"}) {
        const std::string path = markupsFile(folder, {markup("Curve", 3), markup(type, 1)});
        Tesselon::Test::expectNames(
            Tesselon::Test::caught<PointListFileError>([&] { MarkupAnnotations::read(path); }), path, {},
            "markups[1]: a " + type + " needs two points or more, found 1");
    }

    GlLine line("Line 1");
    line.setPoints({{0, 0, 0}, {1, 0, 0}});
    Properties broken = MarkupAnnotations::toConfiguration(line);
    broken.addSubProperties("Point")->setParam("position", std::string("1 2"));
    Properties points;
    points.setParam("kind", std::string("Points"));
    for (const Properties& refused : {broken, points, MarkupAnnotations::toConfiguration(GlLine("Line 2"))})
        EXPECT_THROW(MarkupAnnotations::fromConfiguration(refused), std::runtime_error);
}

}  // namespace
}  // namespace Tesselon
