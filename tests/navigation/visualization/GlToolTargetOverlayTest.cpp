#include "navigation/visualization/GlToolTargetOverlay.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Tesselon;
using Tesselon::Test::LogCapture;

namespace {

const Eigen::Vector4d white(1, 1, 1, 1);
const Eigen::Vector4d red(1, 0, 0, 1);
const Eigen::Vector4d green(0, 1, 0, 1);

// W x H = 80 x 500 with the default layout: scale from y = 25 to y = 498, S = 473.
constexpr GL::Viewport viewport{0, 0, 80, 500};

struct Segment
{
    Eigen::Vector2d from;
    Eigen::Vector2d to;
    Eigen::Vector4d color;
};

class GlToolTargetOverlayTest : public testing::Test
{
protected:
    /// Renders and returns the recorded segments of the single line list.
    std::vector<Segment> render(const Eigen::Vector2d& a, const Eigen::Vector2d& b = Eigen::Vector2d::Zero())
    {
        overlay.setToolPoints(a, b);
        overlay.render(viewport);
        const auto& lists = overlay.recorded().lineLists();
        EXPECT_EQ(lists.size(), 1u);
        EXPECT_EQ(lists.at(0).lineWidth, 2.0);
        std::vector<Segment> segments;
        const auto& vertices = lists.at(0).vertices;
        for (std::size_t i = 0; i + 1 < vertices.size(); i += 2) {
            EXPECT_EQ(vertices[i].color, vertices[i + 1].color);
            segments.push_back({vertices[i].position, vertices[i + 1].position, vertices[i].color});
        }
        return segments;
    }

    static int countColored(const std::vector<Segment>& segments, const Eigen::Vector4d& color)
    {
        return static_cast<int>(std::count_if(segments.begin(), segments.end(),
                                              [&](const Segment& s) { return s.color == color; }));
    }

    GlToolTargetOverlay overlay;
};

}  // namespace

TEST_F(GlToolTargetOverlayTest, HalfwayDepthShowsTextAndRedMarkHalfwayUpTheScale)
{
    const auto segments = render(Eigen::Vector2d(0, 50));
    ASSERT_EQ(segments.size(), 5u);
    // Axis, bottom and top whiskers.
    EXPECT_EQ(segments[0].from, Eigen::Vector2d(40, 25));
    EXPECT_EQ(segments[0].to, Eigen::Vector2d(40, 498));
    EXPECT_EQ(segments[1].from, Eigen::Vector2d(15, 25));
    EXPECT_EQ(segments[1].to, Eigen::Vector2d(65, 25));
    EXPECT_EQ(segments[2].from, Eigen::Vector2d(15, 498));
    EXPECT_EQ(segments[2].to, Eigen::Vector2d(65, 498));
    EXPECT_EQ(countColored(segments, white), 3);
    // 25 + integer part of 473 * 0.5.
    EXPECT_EQ(segments[3].color, red);
    EXPECT_EQ(segments[3].from, Eigen::Vector2d(15, 261));
    EXPECT_EQ(segments[3].to, Eigen::Vector2d(65, 261));

    const auto& texts = overlay.recorded().texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "50.00");
    EXPECT_EQ(texts[0].fontFamily, "DejaVu Sans");
    EXPECT_EQ(texts[0].fontSize, 18);
    EXPECT_EQ(texts[0].color, white);
    EXPECT_EQ(texts[0].anchor, Eigen::Vector2d(40, 2));
    EXPECT_EQ(texts[0].horizontalAlignment, 1);
    EXPECT_EQ(texts[0].verticalAlignment, 3);
}

TEST_F(GlToolTargetOverlayTest, DepthOutsideTheScaleDrawsNoRedMarkButStillTheText)
{
    for (const double depth : {-0.01, 100.0, 150.0}) {
        const auto segments = render(Eigen::Vector2d(0, depth));
        EXPECT_EQ(countColored(segments, red), 0) << depth;
        EXPECT_EQ(segments.size(), 4u) << depth;
        ASSERT_EQ(overlay.recorded().texts().size(), 1u);
    }
    EXPECT_EQ(overlay.recorded().texts()[0].text, "150.00");
}

TEST_F(GlToolTargetOverlayTest, ZeroDepthMarksTheBottomOfTheScale)
{
    const auto segments = render(Eigen::Vector2d(0, 0));
    ASSERT_EQ(countColored(segments, red), 1);
    EXPECT_EQ(segments[3].from.y(), 25);
}

TEST_F(GlToolTargetOverlayTest, GreenSegmentMapsMillimetresWithoutRoundingEvenOffScreen)
{
    const auto segments = render(Eigen::Vector2d(0, 50), Eigen::Vector2d(-30, 250));
    const Segment& path = segments.back();
    EXPECT_EQ(path.color, green);
    // x = 0 is the horizontal centre; y scales onto the 473-pixel scale above the text offset.
    EXPECT_EQ(path.from, Eigen::Vector2d(40, 50.0 / 100.0 * 473 + 25));
    EXPECT_EQ(path.to, Eigen::Vector2d(-30.0 / 20.0 * 80 + 40, 250.0 / 100.0 * 473 + 25));
    EXPECT_LT(path.to.x(), 0.0);
    EXPECT_GT(path.to.y(), 500.0);
}

TEST_F(GlToolTargetOverlayTest, LayoutParametersMoveScaleAndText)
{
    overlay.setVisParams(12, 40, 10, 5, 200.0, 10.0);
    const auto segments = render(Eigen::Vector2d(5, 50));
    // S = 500 - 40 - 10 = 450; t = 0.25.
    EXPECT_EQ(segments[0].from, Eigen::Vector2d(40, 40));
    EXPECT_EQ(segments[0].to, Eigen::Vector2d(40, 490));
    EXPECT_EQ(segments[1].from, Eigen::Vector2d(5, 40));
    EXPECT_EQ(segments[3].from, Eigen::Vector2d(5, 40 + 112));
    EXPECT_EQ(segments[4].from, Eigen::Vector2d(5.0 / 10.0 * 80 + 40, 0.25 * 450 + 40));
    EXPECT_EQ(overlay.recorded().texts()[0].fontSize, 12);
}

TEST_F(GlToolTargetOverlayTest, OddViewportWidthTruncatesTheCentre)
{
    overlay.setToolPoints(Eigen::Vector2d::Zero(), Eigen::Vector2d::Zero());
    overlay.render({0, 0, 81, 500});
    EXPECT_EQ(overlay.recorded().lineLists()[0].vertices[0].position.x(), 40.0);
    EXPECT_EQ(overlay.recorded().texts()[0].anchor.x(), 40.0);
}

TEST_F(GlToolTargetOverlayTest, RenderingAgainReplacesThePreviousFrame)
{
    render(Eigen::Vector2d(0, 50));
    const auto segments = render(Eigen::Vector2d(0, 120));
    EXPECT_EQ(overlay.recorded().lineLists().size(), 1u);
    EXPECT_EQ(overlay.recorded().texts().size(), 1u);
    EXPECT_EQ(overlay.recorded().texts()[0].text, "120.00");
}

TEST_F(GlToolTargetOverlayTest, RejectsNonFinitePointsAndDegenerateScales)
{
    LogCapture log;
    overlay.setToolPoints(Eigen::Vector2d(1, 50), Eigen::Vector2d(2, 60));
    overlay.setToolPoints(Eigen::Vector2d(std::numeric_limits<double>::quiet_NaN(), 0),
                          Eigen::Vector2d::Zero());
    overlay.setVisParams(18, 25, 2, 15, 0.0, 20.0);
    overlay.render(viewport);
    EXPECT_EQ(overlay.recorded().texts()[0].text, "50.00");
    EXPECT_EQ(overlay.recorded().lineLists()[0].vertices.size(), 10u);
    EXPECT_EQ(log->messages().size(), 2u);
}
