#include "RenderTestScene.h"
#include "tests/support/Poses.h"
#include "tests/support/ProcessEventsUntil.h"

#include "host/core/geometry/MeshCreator.h"

#include "host/gl/AnnotationDrawing.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPoint.h"
#include "host/gl/InteractiveButtonOverlay.h"
#include "host/gui/DisplayWidget.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>

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

TEST_F(DisplayWidgetShown, ClicksPlaceACurvesPointsWhileItIsDrawnAndMoveTheOtherSlicesOtherwise)
{
    std::vector<std::unique_ptr<GlPointBasedAnnotation>> drawn;
    AnnotationDrawing drawing(
        model, [&](std::unique_ptr<GlPointBasedAnnotation> curve) { drawn.push_back(std::move(curve)); },
        [](const std::string&) {});
    drawing.start(AnnotationDrawing::Kind::Curve);
    QWidget* axial = widget.viewWidget(model.viewSlice(0));
    const Eigen::Matrix4d coronal = model.viewSlice(1)->matrix();
    click(axial, {150, 200});
    click(axial, {250, 200});
    send(axial, QEvent::MouseButtonDblClick, {250, 200}, Qt::LeftButton);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0]->points().size(), 2u);
    EXPECT_EQ(model.viewSlice(1)->matrix(), coronal)
        << "the clicks placed points instead of moving the slices";
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

/// Frames drawn of the 3D, axial, coronal and sagittal views.
std::array<long long, 4> framesOf(const DisplayWidget& widget, DisplayWidgetMulti& model)
{
    return {widget.frameCount(model.view3D()), widget.frameCount(model.viewSlice(0)),
            widget.frameCount(model.viewSlice(1)), widget.frameCount(model.viewSlice(2))};
}

struct Redraw
{
    const char* change;
    std::function<void(DisplayWidgetMulti&, GlMesh& sphere, GlPoint& point)> make;
    std::array<long long, 4> frames;
};

TEST_F(DisplayWidgetShown, RedrawsOnceOnlyTheViewsWhoseContentChanged)
{
    // A sphere of radius 8 mm in every view, clear of the slice planes through the origin, and a point
    // shown in 3D only.
    GlMesh sphere(std::make_shared<Mesh>(MeshCreator::createSphere(8.0)));
    sphere.setMatrix(translation(50, 50, 50));
    model.viewGroup()->addObject(&sphere);
    GlPoint point;
    model.view3D()->addObject(&point);
    const std::vector<Redraw> cases{
        {"colour of an object shown in 3D only, many times over",
         [](auto&, auto&, GlPoint& point) {
             for (int i = 0; i < 10; ++i)
                 point.setColor({0.1 * i, 0.0, 0.0});
         },
         {1, 0, 0, 0}},
        {"the axial plane moved",
         [](DisplayWidgetMulti& model, auto&, auto&) { model.viewSlice(0)->setMatrix(translation(0, 0, 5)); },
         {1, 1, 0, 0}},
        {"a mesh moved away from every plane",
         [](auto&, GlMesh& sphere, auto&) { sphere.setMatrix(translation(60, 50, 50)); },
         {1, 0, 0, 0}},
        {"a mesh moved across the sagittal plane",
         [](auto&, GlMesh& sphere, auto&) { sphere.setMatrix(translation(3, 50, 50)); },
         {1, 0, 0, 1}},
        {"a mesh moved off the sagittal plane",
         [](auto&, GlMesh& sphere, auto&) { sphere.setMatrix(translation(60, 50, 50)); },
         {1, 0, 0, 1}},
        {"the model asked for a redraw",
         [](DisplayWidgetMulti& model, auto&, auto&) { model.update(); },
         {1, 1, 1, 1}},
    };
    // Each frame is also announced once drawn, naming its view.
    const std::array<const GlView*, 4> views{model.view3D(), model.viewSlice(0), model.viewSlice(1),
                                             model.viewSlice(2)};
    std::map<const GlView*, long long> announced;
    QObject::connect(&widget, &DisplayWidget::viewRendered, [&](const GlView* view) { ++announced[view]; });
    for (const Redraw& redraw : cases) {
        widget.renderNow();
        const std::array<long long, 4> before = framesOf(widget, model);
        auto announcedBefore = announced;
        redraw.make(model, sphere, point);
        ASSERT_TRUE(processEventsUntil([&] { return framesOf(widget, model)[0] > before[0]; }))
            << redraw.change;
        const std::array<long long, 4> after = framesOf(widget, model);
        for (std::size_t view = 0; view < after.size(); ++view) {
            EXPECT_EQ(after[view] - before[view], redraw.frames[view]) << redraw.change << ", view " << view;
            EXPECT_EQ(announced[views[view]] - announcedBefore[views[view]], redraw.frames[view])
                << redraw.change << ", view " << view;
        }
    }
}

}  // namespace
}  // namespace Tesselon
