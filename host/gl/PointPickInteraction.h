#pragma once

#include "host/gl/ViewInteraction.h"

#include <functional>

namespace Tesselon {

class DisplayWidgetMulti;

/// Picks one point in a slice view: once armed, the next left press there is taken and its world point
/// handed on, e.g. a target at which to predict a registration's error. Unarmed, presses pass by.
class PointPickInteraction : public ViewInteraction
{
public:
    /// The display must outlive this object.
    PointPickInteraction(DisplayWidgetMulti& display, std::function<void(const Eigen::Vector3d&)> picked);
    ~PointPickInteraction() override;
    PointPickInteraction(const PointPickInteraction&) = delete;
    PointPickInteraction& operator=(const PointPickInteraction&) = delete;

    void arm() { m_armed = true; }
    void disarm() { m_armed = false; }
    bool isArmed() const { return m_armed; }

    bool press(const GlSliceView& view, const Eigen::Vector3d& world, double tolerance) override;

private:
    DisplayWidgetMulti& m_display;
    std::function<void(const Eigen::Vector3d&)> m_picked;
    bool m_armed = false;
};

}  // namespace Tesselon
