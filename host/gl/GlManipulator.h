#pragma once

#include <Eigen/Core>

namespace Tesselon {

class GlObject;

/// Turns user interaction into changes of one display object. The base moves the whole object;
/// subclasses edit what makes their object (e.g. its points). It never owns the object.
class GlManipulator
{
public:
    explicit GlManipulator(GlObject* object);
    virtual ~GlManipulator();
    GlManipulator(const GlManipulator&) = delete;
    GlManipulator& operator=(const GlManipulator&) = delete;

    GlObject* object() const { return m_object; }

    /// Moves the object by `delta` in world coordinates; non-finite deltas are logged and ignored.
    void translate(const Eigen::Vector3d& delta);

private:
    GlObject* m_object;
};

}  // namespace Tesselon
