#pragma once

class vtkPolyData;

namespace Tesselon {

class GlObject;

/// Turns the geometry of a display object into VTK poly data in object coordinates; the pose, colour and
/// widths are applied by the actor. Used by `VtkObjectActor` whenever the object changes.
class VtkGeometry
{
public:
    /// Replaces the contents of `output` by the object's geometry: triangles for meshes, lines and
    /// vertices for annotations, a line loop for circles, a line with a cone for arrows, lines for grids.
    /// Unknown object types and meshless `GlMesh`es give empty poly data.
    static void fill(const GlObject& object, vtkPolyData* output);

    /// Line segments sampled per spline segment: enough for a smooth curve at navigation zoom levels.
    static constexpr int splineSamplesPerSegment = 16;
    /// Segments of the line loop drawn for a circle.
    static constexpr int circleSegments = 64;
};

}  // namespace Tesselon
