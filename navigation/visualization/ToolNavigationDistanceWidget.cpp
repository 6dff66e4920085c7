#include "navigation/visualization/ToolNavigationDistanceWidget.h"

#include "navigation/visualization/ToolNavigationVisualizationController.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace Tesselon {

namespace {

QPen pen(const QColor& color, int width)
{
    return QPen(QBrush(color), width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

/// Whole millimetres while the tool is outside the target, tenths inside it.
QString distanceText(double distance, double targetRadius)
{
    const QString value = targetRadius <= distance ? QString::number(static_cast<int>(distance))
                                                   : QString::number(distance, 'f', 1);
    return QString("%1 mm").arg(value);
}

}  // namespace

ToolNavigationDistanceWidget::ToolNavigationDistanceWidget(ToolNavigationVisualizationController* controller)
    : QWidget(controller), m_controller(controller)
{
    connect(controller, &ToolNavigationVisualizationController::changed, this,
            qOverload<>(&ToolNavigationDistanceWidget::update));
}

QSize ToolNavigationDistanceWidget::minimumSizeHint() const
{
    return {100, 75};
}

void ToolNavigationDistanceWidget::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect();
    const int x1 = area.left(), y1 = area.top(), x2 = area.right(), y2 = area.bottom();
    QPainter painter(this);
    painter.setPen(pen(Qt::white, 3));
    painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    QFont font = painter.font();
    font.setPointSize(20);
    painter.setFont(font);

    // Integer arithmetic throughout, so the gauge sits on the same pixels at every size.
    const int half = (y2 - y1 + 1) / 2;
    const int mid = y1 + half;
    painter.drawText(QRect(QPoint(x1, y1), QPoint(x2, mid - 1)), Qt::AlignCenter,
                     distanceText(m_controller->distanceToTarget(), m_controller->radius()));

    const int q = (mid - 1 - y1 + 1) / 2;
    const QPoint start(x1 + 10, mid + q);
    const QPoint end(x2 - 10, half + mid - 1 - q);
    painter.drawLine(start, end);
    painter.drawEllipse(QRect(QPoint(end.x() - 5, end.y() - 5), QPoint(end.x() + 4, end.y() + 4)));

    // Ring dots at their straight-line distance from the start, the tool at its distance along the path,
    // both on the straight-line scale; a path whose ends coincide has no scale, so neither is placed.
    const auto [first, last] = m_controller->limits();
    const double scale = std::hypot(end.x() - start.x(), end.y() - start.y()) / (last - first).norm();
    if (!std::isfinite(scale))
        return;
    for (const Eigen::Vector3d& centre : m_controller->circlesPos()) {
        const int x = start.x() + static_cast<int>((centre - first).norm() * scale);
        painter.drawEllipse(QRect(QPoint(x - 2, start.y() - 2), QPoint(x + 1, start.y() + 1)));
    }
    const int x = start.x() + static_cast<int>(m_controller->distanceFromOrigin() * scale);
    painter.setPen(pen(Qt::red, 5));
    painter.drawLine(x, start.y() + 10, x, start.y() - 10);
}

}  // namespace Tesselon
