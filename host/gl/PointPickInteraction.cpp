#include "host/gl/PointPickInteraction.h"

#include "host/gl/DisplayWidgetMulti.h"

namespace Tesselon {

PointPickInteraction::PointPickInteraction(DisplayWidgetMulti& display,
                                           std::function<void(const Eigen::Vector3d&)> picked)
    : m_display(display), m_picked(std::move(picked))
{
    m_display.addInteraction(this);
}

PointPickInteraction::~PointPickInteraction()
{
    m_display.removeInteraction(this);
}

bool PointPickInteraction::press(const GlSliceView&, const Eigen::Vector3d& world, double)
{
    if (!m_armed)
        return false;
    m_armed = false;
    m_picked(world);
    return true;
}

}  // namespace Tesselon
