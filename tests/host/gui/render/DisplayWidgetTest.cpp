#include "RenderTestScene.h"

#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "host/gui/DisplayWidget.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace Tesselon {
namespace {

using namespace Tesselon::Test;

void send(QWidget* widget, QEvent::Type type, const QPoint& position, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, position, widget->mapToGlobal(position), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void click(QWidget* widget, const QPoint& position)
{
    send(widget, QEvent::MouseButtonPress, position, Qt::LeftButton);
    send(widget, QEvent::MouseButtonRelease, position, Qt::NoButton);
}

class DisplayWidgetShown : public ::testing::Test
{
protected:
    DisplayWidgetShown()
    {
        widget.resize(400, 400);
        widget.show();
        for (int i = 0; i < 20 && !widget.isVisible(); ++i)
            QApplication::processEvents();
        QApplication::processEvents();
        widget.renderNow();
    }

    DisplayWidgetMulti model;
    DisplayWidget widget{&model};
};

TEST_F(DisplayWidgetShown, ClickOnAButtonClicksItAndOnlyIt)
{
    GlSliceView* axial = model.viewSlice(0);
    auto* button = static_cast<InteractiveButtonOverlay*>(axial->addOverlay(
        std::make_unique<InteractiveButtonOverlay>(GlOverlay::TopRight, std::string(), 32)));
    int clicks = 0;
    SignalReceiver receiver;
    button->clicked.connect(&receiver, [&] { ++clicks; });
    widget.renderNow();

    QWidget* view = widget.viewWidget(axial);
    ASSERT_NE(view, nullptr);
    click(view, {view->width() - 10, 10});
    EXPECT_EQ(clicks, 1);
    click(view, {10, 10});
    EXPECT_EQ(clicks, 1);
}

TEST_F(DisplayWidgetShown, DraggingAndWheelingThe3DViewMoveTheModelCameraWhichThenStays)
{
    const Camera before = model.view3D()->camera();
    QWidget* view = widget.viewWidget(model.view3D());
    const QPoint centre(view->width() / 2, view->height() / 2);
    send(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
    send(view, QEvent::MouseMove, centre + QPoint(40, 0), Qt::LeftButton);
    send(view, QEvent::MouseButtonRelease, centre + QPoint(40, 0), Qt::NoButton);
    const Camera moved = model.view3D()->camera();
    EXPECT_FALSE(moved.position().isApprox(before.position()));
    widget.renderNow();
    QApplication::processEvents();
    EXPECT_TRUE(model.view3D()->camera().position().isApprox(moved.position()));

    QWheelEvent wheel(centre, view->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_LT(model.view3D()->camera().focalDistance(), moved.focalDistance());
}

TEST_F(DisplayWidgetShown, GrabShowsEveryViewWithItsCaption)
{
    const QImage grid = widget.grabImage();
    ASSERT_EQ(grid.size(), widget.size() * widget.devicePixelRatioF());
    // Captions sit in each cell's top left corner; the rest of an empty view is black.
    for (const QPoint cell : {QPoint(0, 0), QPoint(200, 0), QPoint(0, 200), QPoint(200, 200)}) {
        const int top = grid.height() - cell.y();
        EXPECT_GT(litPixels(grid, cell.x() + 4, top - 30, cell.x() + 80, top - 4), 20)
            << "cell at " << cell.x() << ", " << cell.y();
        EXPECT_TRUE(isBlack(grid.pixelColor(cell.x() + 100, cell.y() + 150)));
    }
}

}  // namespace
}  // namespace Tesselon
