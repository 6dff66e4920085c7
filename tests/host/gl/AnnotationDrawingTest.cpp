#include "host/gl/AnnotationDrawing.h"

#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlSpline.h"
#include "host/gl/PointPickInteraction.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace Tesselon {
namespace {

using Kind = AnnotationDrawing::Kind;
using Points = std::vector<Eigen::Vector3d>;

class AnnotationDrawingTest : public testing::Test
{
protected:
    bool offered() const
    {
        const auto& all = m_display.interactions();
        return std::find(all.begin(), all.end(), &m_drawing) != all.end();
    }
    bool click(const Eigen::Vector3d& world) { return m_drawing.press(view(), world, 1.0); }
    const GlSliceView& view() { return *m_display.viewSlice(1); }

    DisplayWidgetMulti m_display;
    std::vector<std::unique_ptr<GlPointBasedAnnotation>> m_finished;
    std::vector<std::string> m_prompts;
    AnnotationDrawing m_drawing{
        m_display,
        [this](std::unique_ptr<GlPointBasedAnnotation> drawn) { m_finished.push_back(std::move(drawn)); },
        [this](const std::string& prompt) { m_prompts.push_back(prompt); }};
};

TEST_F(AnnotationDrawingTest, TakesClicksFirstWhileDrawingAndHandsOnALineAtItsSecondPointACurveWhenFinished)
{
    EXPECT_FALSE(click({0, 0, 0})) << "idle, clicks pass by";
    PointPickInteraction panelPick(m_display, [](const Eigen::Vector3d&) {});
    panelPick.arm();
    m_drawing.start(Kind::Line);
    EXPECT_EQ(m_display.interactions().front(), &m_drawing) << "asked before the panels' interactions";
    EXPECT_EQ(m_display.view3D()->objects().size(), 1u) << "what is drawn shows at once";
    EXPECT_TRUE(click({1, 2, 3}) && click({4, 5, 6}));
    EXPECT_FALSE(m_drawing.isDrawing() || offered());
    m_drawing.start(Kind::Curve);
    for (const Eigen::Vector3d& point : Points{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}})
        click(point);
    EXPECT_TRUE(m_drawing.isDrawing()) << "a curve goes on until it is finished";
    m_drawing.finish();
    ASSERT_EQ(m_finished.size(), 2u);
    EXPECT_NE(dynamic_cast<GlLine*>(m_finished[0].get()), nullptr);
    EXPECT_EQ(m_finished[0]->points(), (Points{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_NE(dynamic_cast<GlSpline*>(m_finished[1].get()), nullptr);
    EXPECT_EQ(m_finished[1]->points().size(), 3u);
    EXPECT_EQ(m_prompts.back(), "") << "the status bar prompt goes";
}

TEST_F(AnnotationDrawingTest, DropsTooFewPointsAndWhatANewStartOrACancelInterrupts)
{
    Tesselon::Test::LogCapture log;
    for (const auto& interrupt :
         std::vector<std::function<void()>>{[&] { m_drawing.finish(); }, [&] { m_drawing.start(Kind::Line); },
                                            [&] { m_drawing.cancel(); }}) {
        m_drawing.start(Kind::Curve);
        click({0, 0, 0});
        interrupt();
    }
    m_drawing.cancel();
    EXPECT_TRUE(m_finished.empty());
    EXPECT_TRUE(log->contains("A line or curve needs two points; nothing was drawn."));
    EXPECT_FALSE(m_drawing.isDrawing() || offered() || m_drawing.doubleClick(view(), {0, 0, 0}));
    EXPECT_TRUE(m_display.view3D()->objects().empty());
}

}  // namespace
}  // namespace Tesselon
