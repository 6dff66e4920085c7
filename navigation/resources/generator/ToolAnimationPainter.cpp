#include "navigation/resources/generator/ToolAnimationPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRectF>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <vector>

namespace Tesselon {
namespace {

using Eigen::Vector3d;

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kCameraAzimuth = -60.0 * kDegree;
constexpr double kCameraElevation = 22.0 * kDegree;
constexpr double kMargin = 10.0;

// Tool geometry in tool lengths, along the shaft from the tip.
constexpr double kNeedleEnd = 0.36;
constexpr double kHandleStart = 0.44;
constexpr double kNeedleRadius = 0.011;
constexpr double kHandleRadius = 0.034;
constexpr double kFinRadius = 0.009;
constexpr double kSphereRadius = 0.05;

// The plate holding the dip, on the floor z = 0.
constexpr double kPlateHalfSize = 0.5;
constexpr double kPlateThickness = 0.07;
constexpr double kDipRadius = 0.06;

const QColor kBackground(0xee, 0xf0, 0xf3);
const QColor kNeedleColour(0x9a, 0xa1, 0xa9);
const QColor kHandleColour(0x3b, 0x5c, 0x85);
const QColor kFinColour(0x6b, 0x74, 0x80);
const QColor kReferenceFinColour(0xe0, 0x7b, 0x28);
const QColor kGuideColour(0x3f, 0x7c, 0xc8, 170);

/// A marker sphere on a fin standing out sideways from the handle. Uneven angles and lengths keep
/// the turning of the tool readable; the first fin is coloured as a reference.
struct Marker
{
    double azimuth;
    double finLength;
    double height;
};
constexpr std::array<Marker, 4> kMarkers{{
    {0.0 * kDegree, 0.27, 0.84},
    {95.0 * kDegree, 0.19, 0.78},
    {185.0 * kDegree, 0.23, 0.92},
    {275.0 * kDegree, 0.30, 0.72},
}};

QPolygonF polygon(std::initializer_list<QPointF> points)
{
    return QPolygonF(QVector<QPointF>(points));
}

/// Orthographic view from slightly above the floor.
struct View
{
    Vector3d right;
    Vector3d up;
    Vector3d towardViewer;
    double scale = 1.0;
    QPointF origin;

    QPointF project(const Vector3d& p) const
    {
        return origin + QPointF(scale * right.dot(p), -scale * up.dot(p));
    }
    double depth(const Vector3d& p) const { return towardViewer.dot(p); }
    double pixels(double length) const { return scale * length; }
};

View makeView(double scale, QPointF origin)
{
    const double ca = std::cos(kCameraAzimuth), sa = std::sin(kCameraAzimuth);
    const double ce = std::cos(kCameraElevation), se = std::sin(kCameraElevation);
    return {Vector3d(-sa, ca, 0.0), Vector3d(-se * ca, -se * sa, ce), Vector3d(ce * ca, ce * sa, se), scale,
            origin};
}

Vector3d markerCentre(const ToolPose& pose, const Marker& marker)
{
    const Vector3d local(marker.finLength * std::cos(marker.azimuth),
                         marker.finLength * std::sin(marker.azimuth), marker.height);
    return pose.toWorld(local);
}

Vector3d handleEnd(const ToolPose& pose)
{
    return pose.toWorld(Vector3d(0.0, 0.0, 1.0));
}

Vector3d shadowOnFloor(const Vector3d& p)
{
    static const Vector3d light = Vector3d(-0.3, 0.4, 1.0).normalized();
    return p - (p.z() / light.z()) * light;
}

QPolygonF floorCircle(const View& view, const Vector3d& centre, double radius)
{
    QPolygonF polygon;
    for (int i = 0; i < 48; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / 48;
        polygon << view.project(centre + radius * Vector3d(std::cos(angle), std::sin(angle), 0.0));
    }
    return polygon;
}

std::array<Vector3d, 4> plateCorners(double z)
{
    const double h = kPlateHalfSize;
    return {Vector3d(-h, -h, z), Vector3d(h, -h, z), Vector3d(h, h, z), Vector3d(-h, h, z)};
}

/// A shaded cylinder or cone seen from the side: dark edges, a highlight left of the middle.
void drawRod(QPainter& painter, QPointF a, QPointF b, double radiusA, double radiusB, const QColor& colour)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    // A rod seen end-on has no side direction of its own; any one gives a disc.
    const QPointF side = length > 1e-6 ? QPointF(-d.y() / length, d.x() / length) : QPointF(1.0, 0.0);
    const double radius = std::max(radiusA, radiusB);
    QLinearGradient shading(a + side * radius, a - side * radius);
    shading.setColorAt(0.0, colour.darker(170));
    shading.setColorAt(0.32, colour.lighter(150));
    shading.setColorAt(0.6, colour);
    shading.setColorAt(1.0, colour.darker(200));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shading);
    painter.drawPolygon(
        polygon({a + side * radiusA, b + side * radiusB, b - side * radiusB, a - side * radiusA}));
    painter.drawEllipse(b, radiusB, radiusB);
}

void drawSphere(QPainter& painter, QPointF centre, double radius)
{
    QRadialGradient shading(centre, radius, centre + QPointF(-0.35 * radius, -0.4 * radius));
    shading.setColorAt(0.0, Qt::white);
    shading.setColorAt(0.45, QColor(0xd6, 0xda, 0xdf));
    shading.setColorAt(1.0, QColor(0x7a, 0x81, 0x8b));
    painter.setPen(QPen(QColor(0x5e, 0x65, 0x70), 0.8));
    painter.setBrush(shading);
    painter.drawEllipse(centre, radius, radius);
}

void drawPlate(QPainter& painter, const View& view)
{
    const auto top = plateCorners(0.0);
    const auto bottom = plateCorners(-kPlateThickness);
    painter.setPen(QPen(QColor(0x8f, 0x97, 0xa2), 1.0));
    for (std::size_t i = 0; i < top.size(); ++i) {
        const std::size_t next = (i + 1) % top.size();
        const Vector3d outward = (top[i] + top[next]).normalized();
        const double facing = outward.dot(view.towardViewer);
        if (facing <= 0.0) {
            continue;
        }
        painter.setBrush(QColor(0xb4, 0xbb, 0xc4).darker(100 + static_cast<int>(40 * (1.0 - facing))));
        painter.drawPolygon(polygon({view.project(top[i]), view.project(top[next]),
                                     view.project(bottom[next]), view.project(bottom[i])}));
    }
    painter.setBrush(QColor(0xd8, 0xdc, 0xe1));
    painter.drawPolygon(
        polygon({view.project(top[0]), view.project(top[1]), view.project(top[2]), view.project(top[3])}));
}

void drawDip(QPainter& painter, const View& view)
{
    const QPointF centre = view.project(Vector3d::Zero());
    const double radius = view.pixels(kDipRadius);
    // Lit from above, a hollow is darkest at its far inner wall, just above the centre in the image.
    QRadialGradient shading(centre, radius, centre - QPointF(0.0, 0.35 * radius));
    shading.setColorAt(0.0, QColor(0x6f, 0x77, 0x82));
    shading.setColorAt(0.7, QColor(0xa4, 0xab, 0xb4));
    shading.setColorAt(1.0, QColor(0xc8, 0xcd, 0xd3));
    painter.setPen(QPen(QColor(0x7f, 0x87, 0x92), 1.0));
    painter.setBrush(shading);
    painter.drawPolygon(floorCircle(view, Vector3d::Zero(), kDipRadius));
}

void drawShadow(QPainter& painter, const View& view, const ToolPose& pose)
{
    QPainterPath plate;
    const auto top = plateCorners(0.0);
    plate.addPolygon(
        polygon({view.project(top[0]), view.project(top[1]), view.project(top[2]), view.project(top[3])}));
    painter.save();
    painter.setClipPath(plate);
    const QColor shade(0x28, 0x2d, 0x37, 50);
    auto shadow = [&](const Vector3d& p) { return view.project(shadowOnFloor(p)); };
    painter.setPen(QPen(shade, view.pixels(2.0 * kNeedleRadius), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(shadow(pose.tip), shadow(pose.toWorld(Vector3d(0.0, 0.0, kHandleStart))));
    painter.setPen(QPen(shade, view.pixels(2.0 * kHandleRadius), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(shadow(pose.toWorld(Vector3d(0.0, 0.0, kHandleStart))), shadow(handleEnd(pose)));
    painter.setBrush(shade);
    for (const Marker& marker : kMarkers) {
        const Vector3d centre = markerCentre(pose, marker);
        painter.setPen(QPen(shade, view.pixels(2.0 * kFinRadius), Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(shadow(pose.toWorld(Vector3d(0.0, 0.0, marker.height))), shadow(centre));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(floorCircle(view, shadowOnFloor(centre), kSphereRadius));
    }
    painter.restore();
}

void drawArrowHead(QPainter& painter, QPointF from, QPointF to)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length < 1e-6) {
        return;
    }
    const QPointF along = d / length * 7.0;
    const QPointF side(-along.y() * 0.55, along.x() * 0.55);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGuideColour);
    painter.drawPolygon(polygon({to + along * 0.4, to - along * 0.6 + side, to - along * 0.6 - side}));
}

/// Where the dashed guide of each motion runs: the path of the part of the tool that moves most.
Vector3d guidePoint(ToolMotion::Kind kind, const ToolPose& pose, const View& view)
{
    switch (kind) {
        case ToolMotion::Kind::Rotation:
            return markerCentre(pose, kMarkers[0]);
        case ToolMotion::Kind::Dip:
            return pose.tip + 0.25 * view.right + Vector3d(0.0, 0.0, 0.04);
        case ToolMotion::Kind::Pivoting:
        case ToolMotion::Kind::Flip:
            break;
    }
    return handleEnd(pose);
}

bool isClosedPath(ToolMotion::Kind kind)
{
    return kind == ToolMotion::Kind::Pivoting || kind == ToolMotion::Kind::Rotation;
}

void drawGuide(QPainter& painter, const View& view, const ToolMotion& motion)
{
    // Loops show the whole path with an arrow at the front; there-and-back motions show the way out
    // with arrows at both ends.
    const bool closed = isClosedPath(motion.kind());
    const int samples = closed ? motion.frameCount() : motion.frameCount() / 2 + 1;
    QPolygonF path;
    for (int frame = 0; frame < samples; ++frame) {
        const QPointF point = view.project(guidePoint(motion.kind(), motion.pose(frame), view));
        if (path.isEmpty() || path.back() != point) {
            path << point;
        }
    }
    if (path.size() < 2) {
        return;
    }
    QPen dashed(kGuideColour, 1.5, Qt::DashLine, Qt::RoundCap);
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    if (closed) {
        painter.drawPolygon(path);
        // The arrow sits at the front right of the loop, where the shaft does not hide it.
        const QRectF bounds = path.boundingRect();
        auto frontRight = [&](QPointF p) {
            return (p.x() - bounds.center().x()) / bounds.width() +
                   (p.y() - bounds.center().y()) / bounds.height();
        };
        const auto front = std::max_element(
            path.begin(), path.end(), [&](QPointF a, QPointF b) { return frontRight(a) < frontRight(b); });
        const auto index = static_cast<int>(front - path.begin());
        drawArrowHead(painter, path[index], path[(index + 1) % path.size()]);
    } else {
        painter.drawPolyline(path);
        drawArrowHead(painter, path[path.size() - 2], path.back());
        drawArrowHead(painter, path[1], path.front());
    }
}

void drawFixedPoint(QPainter& painter, const View& view)
{
    const QPointF centre = view.project(Vector3d::Zero());
    painter.setPen(QPen(QColor(0xc8, 0x46, 0x3d), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 6.0, 6.0);
    painter.drawLine(centre - QPointF(10.0, 0.0), centre - QPointF(3.0, 0.0));
    painter.drawLine(centre + QPointF(3.0, 0.0), centre + QPointF(10.0, 0.0));
    painter.drawLine(centre - QPointF(0.0, 10.0), centre - QPointF(0.0, 3.0));
    painter.drawLine(centre + QPointF(0.0, 3.0), centre + QPointF(0.0, 10.0));
}

void drawShaft(QPainter& painter, const View& view, const ToolPose& pose)
{
    auto at = [&](double height) { return view.project(pose.toWorld(Vector3d(0.0, 0.0, height))); };
    drawRod(painter, at(0.0), at(kNeedleEnd), 0.6, view.pixels(kNeedleRadius), kNeedleColour);
    drawRod(painter, at(kNeedleEnd), at(kHandleStart), view.pixels(kNeedleRadius), view.pixels(kHandleRadius),
            kHandleColour);
    drawRod(painter, at(kHandleStart), at(1.0), view.pixels(kHandleRadius), view.pixels(kHandleRadius),
            kHandleColour);
}

void drawMarker(QPainter& painter, const View& view, const ToolPose& pose, std::size_t index)
{
    const Marker& marker = kMarkers[index];
    const QPointF root = view.project(pose.toWorld(Vector3d(0.0, 0.0, marker.height)));
    const QPointF centre = view.project(markerCentre(pose, marker));
    const double fin = view.pixels(kFinRadius);
    drawRod(painter, root, centre, fin, fin, index == 0 ? kReferenceFinColour : kFinColour);
    drawSphere(painter, centre, view.pixels(kSphereRadius));
}

/// Draws the shaft and the markers from the farthest to the nearest so that they hide each other.
void drawTool(QPainter& painter, const View& view, const ToolPose& pose)
{
    struct Part
    {
        double depth;
        std::function<void()> draw;
    };
    double markerHeight = 0.0;
    for (const Marker& marker : kMarkers) {
        markerHeight += marker.height / kMarkers.size();
    }
    std::vector<Part> parts;
    parts.push_back({view.depth(pose.toWorld(Vector3d(0.0, 0.0, markerHeight))),
                     [&] { drawShaft(painter, view, pose); }});
    for (std::size_t i = 0; i < kMarkers.size(); ++i) {
        parts.push_back(
            {view.depth(markerCentre(pose, kMarkers[i])), [&, i] { drawMarker(painter, view, pose, i); }});
    }
    std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.depth < b.depth; });
    for (const Part& part : parts) {
        part.draw();
    }
}

/// Points with a radius that every frame may cover, for fitting the drawing into the image.
std::vector<std::pair<Vector3d, double>> extentPoints(const ToolMotion& motion, const View& view)
{
    std::vector<std::pair<Vector3d, double>> points;
    for (int frame = 0; frame < motion.frameCount(); ++frame) {
        const ToolPose pose = motion.pose(frame);
        points.emplace_back(pose.tip, 0.0);
        points.emplace_back(handleEnd(pose), kHandleRadius);
        points.emplace_back(guidePoint(motion.kind(), pose, view), 0.0);
        for (const Marker& marker : kMarkers) {
            points.emplace_back(markerCentre(pose, marker), kSphereRadius);
        }
    }
    if (motion.showsFloor()) {
        for (const Vector3d& corner : plateCorners(0.0)) {
            points.emplace_back(corner, 0.0);
            points.emplace_back(corner - Vector3d(0.0, 0.0, kPlateThickness), 0.0);
        }
    }
    return points;
}

}  // namespace

ToolAnimationPainter::ToolAnimationPainter(ToolMotion motion, int imageSize)
    : m_motion(motion), m_imageSize(imageSize)
{
    fitToImage();
}

void ToolAnimationPainter::fitToImage()
{
    const View unit = makeView(1.0, QPointF());
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    for (const auto& [point, radius] : extentPoints(m_motion, unit)) {
        const QPointF p = unit.project(point);
        left = std::min(left, p.x() - radius);
        right = std::max(right, p.x() + radius);
        top = std::min(top, p.y() - radius);
        bottom = std::max(bottom, p.y() + radius);
    }
    const QRectF bounds(QPointF(left, top), QPointF(right, bottom));
    const double available = m_imageSize - 2.0 * kMargin;
    m_scale = std::min(available / bounds.width(), available / bounds.height());
    m_origin = QPointF(m_imageSize / 2.0, m_imageSize / 2.0) - bounds.center() * m_scale;
}

QImage ToolAnimationPainter::frame(int index) const
{
    const View view = makeView(m_scale, m_origin);
    const ToolPose pose = m_motion.pose(index);
    QImage image(m_imageSize, m_imageSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_motion.showsFloor()) {
        drawPlate(painter, view);
        drawDip(painter, view);
        drawShadow(painter, view, pose);
    }
    drawGuide(painter, view, m_motion);
    drawTool(painter, view, pose);
    if (!m_motion.showsFloor()) {
        drawFixedPoint(painter, view);
    }
    return image;
}

}  // namespace Tesselon
