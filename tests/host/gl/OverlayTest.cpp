#include "host/gl/GlOverlay.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "tests/host/gl/SignalSpy.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

const Eigen::Vector4d white(1, 1, 1, 1);

OverlayVertex vertex(double x, double y)
{
    return {Eigen::Vector2d(x, y), white};
}

}  // namespace

TEST(GlOverlay, PainterKeepsFiniteSegmentsPlacementShrinksToTheMinimumButtonsHitOnlyWhenVisible)
{
    LogCapture log;
    OverlayPainter painter;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    painter.drawLines(
        {vertex(0, 0), vertex(1, 1), vertex(nan, 0), vertex(2, 2), vertex(3, 3), vertex(4, 4), vertex(5, 5)},
        2.0);
    ASSERT_EQ(painter.lineLists().size(), 1u);
    const auto& kept = painter.lineLists()[0].vertices;
    EXPECT_EQ(kept, (std::vector<OverlayVertex>{vertex(0, 0), vertex(1, 1), vertex(3, 3), vertex(4, 4)}));
    EXPECT_EQ(log->count("Dropped overlay line segments with non-finite or unpaired vertices."), 1);

    painter.begin2D({0, 0, 100, 50});
    painter.drawLines({vertex(0, 0), vertex(1, 1)}, 1.0);
    OverlayText old;
    old.text = "old";
    painter.drawText(old);
    painter.begin2D({0, 0, 80, 40});
    EXPECT_TRUE(painter.lineLists().empty());
    EXPECT_TRUE(painter.texts().empty());
    EXPECT_EQ(painter.projection(), (GL::Viewport{0, 0, 80, 40}));

    GlOverlay overlay(80, 500, 80, 300);
    overlay.setAnchor(GlOverlay::Bottom);
    EXPECT_EQ(overlay.placement({0, 0, 400, 1000}), (GL::Viewport{160, 0, 80, 500}));
    EXPECT_EQ(overlay.placement({0, 0, 400, 200}), (GL::Viewport{160, 0, 80, 300}));
    overlay.setAnchor(GlOverlay::TopRight);
    EXPECT_EQ(overlay.placement({10, 20, 400, 1000}), (GL::Viewport{330, 520, 80, 500}));

    LogCapture sizeLog;
    GlOverlay broken(-1, 10, 5, -5);
    EXPECT_EQ(broken.sizeHint(), QSize(0, 10));
    EXPECT_EQ(broken.minimumSizeHint(), QSize(5, 0));
    broken.setAnchor(9);
    EXPECT_EQ(broken.anchor(), GlOverlay::TopLeft);
    EXPECT_EQ(sizeLog->messages().size(), 3u);

    InteractiveButtonOverlay button(GlOverlay::BottomRight, ":/icons/center.png", 32);
    SignalSpy redraws(button.updateRequested);
    const GL::Viewport view{0, 0, 200, 100};
    EXPECT_TRUE(button.hitTest(168, 0, view));
    EXPECT_TRUE(button.hitTest(199.5, 31.5, view));
    EXPECT_FALSE(button.hitTest(167.9, 10, view));
    EXPECT_FALSE(button.hitTest(180, 32, view));
    button.setVisible(false);
    button.setVisible(false);
    EXPECT_FALSE(button.hitTest(180, 10, view));
    EXPECT_EQ(redraws.count(), 1);

    InteractiveButtonOverlay topLeft(GlOverlay::TopLeft, ":/icons/center.png");
    SignalSpy clicks(topLeft.clicked);
    topLeft.click();
    EXPECT_EQ(clicks.count(), 1);
    topLeft.render({0, 0, 32, 32});
    ASSERT_EQ(topLeft.recorded().images().size(), 1u);
    EXPECT_EQ(topLeft.recorded().images()[0].path, ":/icons/center.png");
    EXPECT_EQ(topLeft.recorded().images()[0].rectangle, (GL::Viewport{0, 0, 32, 32}));
}
