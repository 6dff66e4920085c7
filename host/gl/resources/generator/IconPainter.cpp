#include "host/gl/resources/generator/IconPainter.h"

#include <QPainter>
#include <QPainterPath>

namespace Tesselon {
namespace {

QPainterPath play(double s)
{
    QPainterPath path;
    path.moveTo(0.28 * s, 0.18 * s);
    path.lineTo(0.82 * s, 0.5 * s);
    path.lineTo(0.28 * s, 0.82 * s);
    path.closeSubpath();
    return path;
}

QPainterPath stop(double s)
{
    QPainterPath path;
    path.addRoundedRect(0.22 * s, 0.22 * s, 0.56 * s, 0.56 * s, 0.06 * s, 0.06 * s);
    return path;
}

QPainterPath recenter(double s)
{
    // A target ring with a crosshair: "bring the tool back to the middle of the view".
    QPainterPath path;
    path.addEllipse(QPointF(0.5 * s, 0.5 * s), 0.26 * s, 0.26 * s);
    path.addEllipse(QPointF(0.5 * s, 0.5 * s), 0.18 * s, 0.18 * s);
    for (const QRectF& bar :
         {QRectF(0.46 * s, 0.06 * s, 0.08 * s, 0.3 * s), QRectF(0.46 * s, 0.64 * s, 0.08 * s, 0.3 * s),
          QRectF(0.06 * s, 0.46 * s, 0.3 * s, 0.08 * s), QRectF(0.64 * s, 0.46 * s, 0.3 * s, 0.08 * s)})
        path.addRect(bar);
    path.addEllipse(QPointF(0.5 * s, 0.5 * s), 0.05 * s, 0.05 * s);
    return path;
}

QPainterPath arrowRight(double s)
{
    QPainterPath path;
    path.moveTo(0.14 * s, 0.42 * s);
    path.lineTo(0.54 * s, 0.42 * s);
    path.lineTo(0.54 * s, 0.22 * s);
    path.lineTo(0.88 * s, 0.5 * s);
    path.lineTo(0.54 * s, 0.78 * s);
    path.lineTo(0.54 * s, 0.58 * s);
    path.lineTo(0.14 * s, 0.58 * s);
    path.closeSubpath();
    return path;
}

QPainterPath shape(IconPainter::Icon icon, double s)
{
    switch (icon) {
        case IconPainter::Icon::Play:
            return play(s);
        case IconPainter::Icon::Stop:
            return stop(s);
        case IconPainter::Icon::Recenter:
            return recenter(s);
        case IconPainter::Icon::ArrowRight:
            return arrowRight(s);
        case IconPainter::Icon::ArrowLeft:
            return QTransform(-1, 0, 0, 1, s, 0).map(arrowRight(s));
    }
    return {};
}

}  // namespace

QImage IconPainter::paint(Icon icon, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path = shape(icon, size);
    path.setFillRule(Qt::OddEvenFill);
    painter.setPen(QPen(QColor(30, 30, 30, 220), size / 32.0));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPath(path);
    painter.end();
    return image;
}

}  // namespace Tesselon
