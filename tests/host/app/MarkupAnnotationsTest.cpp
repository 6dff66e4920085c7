#include "host/app/MarkupAnnotations.h"

#include "host/core/io/PointListFileError.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlPoint.h"
#include "host/gl/GlSpline.h"
#include "tests/support/FormatErrors.h"
#include "tests/support/TextFile.h"

#include <fmt/format.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

using Points = std::vector<Eigen::Vector3d>;

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

TEST(MarkupAnnotations, MakesOneObjectPerMarkupOfItsKindNamedByTheMarkupOrTheFile)
{
    QTemporaryDir folder;
    struct Case
    {
        std::string markup;
        const char* kind;
        Points points;
    };
    const std::vector<Case> cases = {
        {markup("Fiducial", 3), "Points", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
        {markup("Line", 3), "Line", {{0, 0, 0}, {1, 0, 0}}},
        {markup("Curve", 3), "Curve", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
        {markup("ClosedCurve", 3), "Curve", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        const auto objects = MarkupAnnotations::read(markupsFile(folder, {c.markup}));
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(MarkupAnnotations::kindOf(*objects[0]), c.kind);
        EXPECT_EQ(objects[0]->points(), c.points);
        EXPECT_EQ(objects[0]->name(), "plan.mrk.json") << "a single markup is named after its file";
    }

    const auto mixed =
        MarkupAnnotations::read(markupsFile(folder, {markup("Line", 2, R"("name": "Planned line", )"),
                                                     markup("Curve", 4), markup("Fiducial", 0)}));
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_TRUE(dynamic_cast<GlLine*>(mixed[0].get()) && dynamic_cast<GlSpline*>(mixed[1].get()) &&
                dynamic_cast<GlPoint*>(mixed[2].get()));
    EXPECT_EQ(mixed[0]->name(), "Planned line");
    EXPECT_EQ(mixed[1]->name(), "plan.mrk.json 2") << "named after the file and its place there";
    EXPECT_EQ(mixed[2]->name(), "plan.mrk.json 3");

    const auto csv =
        MarkupAnnotations::read(Tesselon::Test::writeTextFile(folder, "points.csv", "1,2,3\n4,5,6\n"));
    ASSERT_EQ(csv.size(), 1u);
    EXPECT_EQ(csv[0]->points(), (Points{{1, 2, 3}, {4, 5, 6}}));
}

TEST(MarkupAnnotations, RefusesALineOrCurveWithoutTwoPointsNamingTheFile)
{
    QTemporaryDir folder;
    for (const std::string type : {"Line", "Curve", "ClosedCurve"}) {
        const std::string path = markupsFile(folder, {markup("Curve", 3), markup(type, 1)});
        Tesselon::Test::expectNames(
            Tesselon::Test::caught<PointListFileError>([&] { MarkupAnnotations::read(path); }), path, {},
            "markups[1]: a " + type + " needs two points or more, found 1");
    }
}

TEST(MarkupAnnotations, ADrawnLineOrCurveComesBackFromItsConfigurationAndBadOnesAreRefused)
{
    std::vector<std::unique_ptr<GlPointBasedAnnotation>> kinds;
    kinds.push_back(std::make_unique<GlLine>("Line 3"));
    kinds.push_back(std::make_unique<GlSpline>("Curve 1"));
    for (const auto& drawn : kinds) {
        drawn->setPoints({{0.1, -2.5, 1e-300}, {1378476416.9227552, 7, -3}, {4, 5, 6}});
        const auto again = MarkupAnnotations::fromConfiguration(MarkupAnnotations::toConfiguration(*drawn));
        EXPECT_EQ(MarkupAnnotations::kindOf(*again), MarkupAnnotations::kindOf(*drawn));
        EXPECT_EQ(again->name(), drawn->name());
        EXPECT_EQ(again->points(), drawn->points()) << "exactly";
    }

    Properties points;
    points.setParam("kind", std::string("Points"));
    EXPECT_THROW(MarkupAnnotations::fromConfiguration(points), std::runtime_error);
    Properties broken = MarkupAnnotations::toConfiguration(*kinds[0]);
    EXPECT_THROW(MarkupAnnotations::fromConfiguration(MarkupAnnotations::toConfiguration(GlLine("Line 1"))),
                 std::runtime_error)
        << "no points";
    broken.addSubProperties("Point")->setParam("position", std::string("1 2"));
    EXPECT_THROW(MarkupAnnotations::fromConfiguration(broken), std::runtime_error);
}

}  // namespace
}  // namespace Tesselon
