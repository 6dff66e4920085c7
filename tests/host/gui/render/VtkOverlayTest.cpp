#include "RenderTestScene.h"

#include "host/gl/GlSliceView.h"
#include "host/gl/InteractiveButtonOverlay.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

/// Draws a yellow line across its rectangle at `lineY` and, optionally, a large white "W" above it.
class MarkOverlay : public GlOverlay
{
public:
    MarkOverlay(int size, int anchor, int lineY, bool withText)
        : GlOverlay(size, size, size, size), m_lineY(lineY), m_withText(withText)
    {
        setAnchor(anchor);
    }

    void render(const GL::Viewport& viewport) override
    {
        painter().begin2D(viewport);
        const Eigen::Vector4d yellow(1, 1, 0, 1);
        painter().drawLines({{{0, m_lineY}, yellow}, {{viewport.width, m_lineY}, yellow}}, 4.0);
        if (!m_withText)
            return;
        OverlayText text;
        text.text = "W";
        text.fontSize = 48;
        text.anchor = {viewport.width / 2.0, 150.0};
        text.horizontalAlignment = GL::AlignHCenter;
        text.verticalAlignment = GL::AlignVCenter;
        painter().drawText(text);
    }

private:
    double m_lineY;
    bool m_withText;
};

class OverlayRendering : public ::testing::Test
{
protected:
    RenderedView<GlSliceView> scene{GlSliceView::Axial};
};

TEST_F(OverlayRendering, LinesAndTextAppearAtTheirPixelsAndVanishWhenHidden)
{
    GlOverlay* overlay =
        scene.view.addOverlay(std::make_unique<MarkOverlay>(frameSize, GlOverlay::TopLeft, 50, true));
    QImage frame = scene.grab();
    EXPECT_TRUE(isNear(pixelAt(frame, 100, 50), 255, 255, 0));
    EXPECT_TRUE(isBlack(pixelAt(frame, 100, 90)));
    EXPECT_GT(litPixels(frame, 85, 135, 116, 166), 30);

    overlay->setVisible(false);
    frame = scene.grab();
    EXPECT_TRUE(isBlack(pixelAt(frame, 100, 50)));
    EXPECT_EQ(litPixels(frame, 85, 135, 116, 166), 0);
}

TEST_F(OverlayRendering, PrimitivesAreOffsetToTheOverlaysPlacement)
{
    scene.view.addOverlay(std::make_unique<MarkOverlay>(50, GlOverlay::BottomRight, 25, false));
    const QImage frame = scene.grab();
    EXPECT_TRUE(isNear(pixelAt(frame, 175, 25), 255, 255, 0));
    EXPECT_TRUE(isBlack(pixelAt(frame, 100, 25)));
}

TEST_F(OverlayRendering, ButtonIconIsDrawnInItsCorner)
{
    QTemporaryDir folder;
    const QString iconPath = folder.filePath("icon.png");
    QImage icon(8, 8, QImage::Format_RGB32);
    icon.fill(QColor(255, 0, 255));
    ASSERT_TRUE(icon.save(iconPath));
    scene.view.addOverlay(
        std::make_unique<InteractiveButtonOverlay>(GlOverlay::BottomLeft, iconPath.toStdString(), 32));
    const QImage frame = scene.grab();
    EXPECT_TRUE(isNear(pixelAt(frame, 16, 16), 255, 0, 255));
    EXPECT_TRUE(isBlack(pixelAt(frame, 48, 16)));
}

}  // namespace
}  // namespace Tesselon
