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

TEST_F(GlToolTargetOverlayTest, DrawsTheScaleAndTheDepthAsTextInItsStyle)
{
    const auto segments = render(Eigen::Vector2d(0, 50));
    ASSERT_EQ(segments.size(), 5u);
    // Axis, bottom and top whiskers.
    const Eigen::Vector2d ends[][2] = {{{40, 25}, {40, 498}}, {{15, 25}, {65, 25}}, {{15, 498}, {65, 498}}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(segments[i].from, ends[i][0]) << i;
        EXPECT_EQ(segments[i].to, ends[i][1]) << i;
    }
    EXPECT_EQ(countColored(segments, white), 3);

    const auto& text = overlay.recorded().texts().at(0);
    EXPECT_EQ(text.fontFamily, "DejaVu Sans");
    EXPECT_EQ(text.fontSize, 18);
    EXPECT_EQ(text.color, white);
    EXPECT_EQ(text.anchor, Eigen::Vector2d(40, 2));
    EXPECT_EQ(text.horizontalAlignment, 1);
    EXPECT_EQ(text.verticalAlignment, 3);
}

// Rendered one after another: each frame replaces the previous one's lines and text.
TEST_F(GlToolTargetOverlayTest, RedMarkAtTheDepthOnlyWithinTheScaleAndTheTextAlways)
{
    const struct
    {
        double depth;
        int markY;  // 25 + integer part of 473 * depth / 100; 0: no mark
        const char* text;
    } cases[] = {{50, 261, "50.00"}, {0, 25, "0.00"},    {-0.01, 0, "-0.01"},
                 {100, 0, "100.00"}, {150, 0, "150.00"}, {120, 0, "120.00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        const auto segments = render(Eigen::Vector2d(0, c.depth));
        ASSERT_EQ(segments.size(), c.markY ? 5u : 4u);
        EXPECT_EQ(countColored(segments, red), c.markY ? 1 : 0);
        if (c.markY) {
            EXPECT_EQ(segments[3].from, Eigen::Vector2d(15, c.markY));
            EXPECT_EQ(segments[3].to, Eigen::Vector2d(65, c.markY));
        }
        ASSERT_EQ(overlay.recorded().texts().size(), 1u);
        EXPECT_EQ(overlay.recorded().texts()[0].text, c.text);
    }
}

TEST_F(GlToolTargetOverlayTest, GreenSegmentMapsMillimetresWithoutRoundingEvenOffScreen)
{
    const auto segments = render(Eigen::Vector2d(0, 50), Eigen::Vector2d(-30, 250));
    const Segment& path = segments.back();
    EXPECT_EQ(path.color, green);
    // x = 0 is the horizontal centre; y scales onto the 473-pixel scale above the text offset.
    EXPECT_EQ(path.from, Eigen::Vector2d(40, 50.0 / 100.0 * 473 + 25));
    EXPECT_EQ(path.to, Eigen::Vector2d(-30.0 / 20.0 * 80 + 40, 250.0 / 100.0 * 473 + 25));
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
