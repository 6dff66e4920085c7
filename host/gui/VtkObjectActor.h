#pragma once

#include <memory>

class vtkActor;
class vtkPolyData;

namespace Tesselon {

class GlObject;
class Mesh;

/// The VTK actor mirroring one display object: its geometry, pose, visibility, colour, opacity, widths and
/// mesh material. `VtkViewRenderer` keeps one per object of its view and calls `update` before each frame;
/// only objects that emitted `changed` since the last update are read again.
class VtkObjectActor
{
public:
    /// The object must outlive this actor (the renderer drops actors of destroyed objects first).
    explicit VtkObjectActor(const GlObject* object);
    ~VtkObjectActor();
    VtkObjectActor(const VtkObjectActor&) = delete;
    VtkObjectActor& operator=(const VtkObjectActor&) = delete;

    const GlObject* object() const { return m_object; }
    vtkActor* actor() const { return m_actor; }

    /// Marks the actor as out of date; the renderer calls this when the object emits `changed`.
    void invalidate() { m_dirty = true; }
    /// Reads the object again if it changed since the last update.
    void update();

private:
    void updateGeometry();
    void updateProperties();

    const GlObject* m_object;
    vtkActor* m_actor;
    vtkPolyData* m_polyData;
    // Meshes are large and rarely replaced: their geometry is rebuilt only when the mesh itself changes.
    std::shared_ptr<const Mesh> m_shownMesh;
    bool m_dirty = true;
};

}  // namespace Tesselon
