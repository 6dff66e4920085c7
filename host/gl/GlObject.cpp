#include "host/gl/GlObject.h"

#include "host/core/base/Log.h"

#include <algorithm>
#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlObject";

}  // namespace

GlObject::GlObject(std::string name) : m_name(std::move(name)) {}

GlObject::~GlObject()
{
    destroyed.emitSignal(this);
}

void GlObject::setMatrix(const Eigen::Matrix4d& objectToWorld)
{
    if (!objectToWorld.allFinite()) {
        reject(category, "Ignoring a display object pose with non-finite entries.");
        return;
    }
    assign(m_objectToWorld, objectToWorld);
}

void GlObject::setVisible(bool visible)
{
    assign(m_visible, visible);
}

void GlObject::setColor(const Eigen::Vector3d& rgb)
{
    if (acceptColor(rgb))
        assign(m_color, clampedColor(rgb));
}

void GlObject::setColor(const Eigen::Vector3d& rgb, double opacity)
{
    if (!acceptColor(rgb) || !acceptOpacity(opacity))
        return;
    const Eigen::Vector3d clamped = clampedColor(rgb);
    const double clampedOpacity = std::clamp(opacity, 0.0, 1.0);
    if (clamped == m_color && clampedOpacity == m_opacity)
        return;
    m_color = clamped;
    m_opacity = clampedOpacity;
    changed.emitSignal();
}

void GlObject::setOpacity(double opacity)
{
    if (acceptOpacity(opacity))
        assign(m_opacity, std::clamp(opacity, 0.0, 1.0));
}

void GlObject::setLineWidth(double width)
{
    if (!std::isfinite(width) || width < 0.0) {
        reject(category, "Ignoring a negative or non-finite line width.");
        return;
    }
    assign(m_lineWidth, width);
}

void GlObject::setName(std::string name)
{
    assign(m_name, name);
}

Eigen::Vector3d GlObject::clampedColor(const Eigen::Vector3d& rgb)
{
    return rgb.cwiseMax(0.0).cwiseMin(1.0);
}

bool GlObject::reject(const std::string& categoryName, const std::string& text) const
{
    Log::error(categoryName, text);
    return false;
}

bool GlObject::acceptColor(const Eigen::Vector3d& rgb) const
{
    return rgb.allFinite() || reject(category, "Ignoring a colour with non-finite components.");
}

bool GlObject::acceptOpacity(double opacity) const
{
    return std::isfinite(opacity) || reject(category, "Ignoring a non-finite opacity.");
}

}  // namespace Tesselon
