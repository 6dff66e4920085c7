#pragma once

#include "host/core/base/Signal.h"

#include <Eigen/Core>

#include <string>

namespace Tesselon {

class Data;

/// Base of every display object: the plain state (pose, visibility, colour, opacity, line width, name)
/// that the renderer reads and the panels write. Display objects live on the GUI thread.
/// `changed` fires once per real change, so views redraw only when something differs.
class GlObject
{
public:
    explicit GlObject(std::string name = {});
    virtual ~GlObject();
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    /// The pose that maps object coordinates into world coordinates (identity by default).
    const Eigen::Matrix4d& matrix() const { return m_objectToWorld; }
    /// A non-finite pose is logged and ignored.
    void setMatrix(const Eigen::Matrix4d& objectToWorld);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    /// RGB in [0, 1] (white by default).
    const Eigen::Vector3d& color() const { return m_color; }
    /// Components are clamped to [0, 1]; a non-finite colour is logged and ignored.
    void setColor(const Eigen::Vector3d& rgb);
    /// Sets colour and opacity together, notifying once.
    void setColor(const Eigen::Vector3d& rgb, double opacity);

    /// 1 is opaque, 0 invisible.
    double opacity() const { return m_opacity; }
    /// Clamped to [0, 1]; a non-finite opacity is logged and ignored.
    void setOpacity(double opacity);

    /// Pixels; used for outlines, wireframes and annotation lines.
    double lineWidth() const { return m_lineWidth; }
    /// Negative or non-finite widths are logged and ignored.
    void setLineWidth(double width);

    /// The data object this display object shows, if any (e.g. the stream of a tracked tool), so that a
    /// view showing only some data can leave it out. Not owned.
    const Data* data() const { return m_data; }
    void setData(const Data* data) { assign(m_data, data); }

    const std::string& name() const { return m_name; }
    void setName(std::string name);

    /// Emitted after any property changed value.
    Signal<> changed;
    /// Emitted at the start of destruction, so that views holding the object drop it.
    Signal<GlObject*> destroyed;

protected:
    /// Stores `value` and emits `changed` if it differs; returns whether it did.
    template <class T>
    bool assign(T& member, const T& value)
    {
        if (member == value)
            return false;
        member = value;
        changed.emitSignal();
        return true;
    }

    /// Each component clamped to [0, 1].
    static Eigen::Vector3d clampedColor(const Eigen::Vector3d& rgb);

    /// Logs an invalid argument with the object's class as category; returns false for use in guards.
    bool reject(const std::string& category, const std::string& text) const;

private:
    bool acceptColor(const Eigen::Vector3d& rgb) const;
    bool acceptOpacity(double opacity) const;

    Eigen::Matrix4d m_objectToWorld = Eigen::Matrix4d::Identity();
    bool m_visible = true;
    Eigen::Vector3d m_color = Eigen::Vector3d::Ones();
    double m_opacity = 1.0;
    double m_lineWidth = 1.0;
    std::string m_name;
    const Data* m_data = nullptr;
};

}  // namespace Tesselon
