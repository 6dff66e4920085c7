#pragma once

#include <string>

class vtkBillboardTextActor3D;

namespace Tesselon {

class GlPointBasedAnnotation;

/// The length of a line or spline annotation, written next to the middle of its path in its colour and
/// always facing the viewer. `VtkObjectActor` owns one for each line and spline.
class VtkDistanceLabel
{
public:
    VtkDistanceLabel();
    ~VtkDistanceLabel();
    VtkDistanceLabel(const VtkDistanceLabel&) = delete;
    VtkDistanceLabel& operator=(const VtkDistanceLabel&) = delete;

    vtkBillboardTextActor3D* actor() const { return m_actor; }

    /// Reads text, place, colour and visibility from the annotation; hidden for fewer than two points or
    /// when the annotation does not show its distance label.
    void update(const GlPointBasedAnnotation& annotation);

    /// The label's text for a length in millimetres, e.g. "42.5 mm".
    static std::string text(double lengthMillimetres);

private:
    vtkBillboardTextActor3D* m_actor;
};

}  // namespace Tesselon
