#pragma once

#include <Eigen/Core>

#include <memory>

class vtkActor;
class vtkBillboardTextActor3D;
class vtkCutter;
class vtkPlane;
class vtkPolyData;
class vtkPolyDataMapper;

namespace Tesselon {

class GlObject;
class Mesh;
class VtkDistanceLabel;

/// The VTK actor mirroring one display object: its geometry, pose, visibility, colour, opacity, widths and
/// mesh material. `VtkViewRenderer` keeps one per object of its view and calls `update` before each frame;
/// only objects that emitted `changed` since the last update are read again. In slice views meshes are
/// cut by the plane and drawn as their outline in it, or flattened onto it whole when projective.
class VtkObjectActor
{
public:
    /// The object must outlive this actor (the renderer drops actors of destroyed objects first).
    /// `cutMeshes`: draw a mesh as its intersection with the plane given by `setCutPlane`.
    explicit VtkObjectActor(const GlObject* object, bool cutMeshes = false);
    ~VtkObjectActor();
    VtkObjectActor(const VtkObjectActor&) = delete;
    VtkObjectActor& operator=(const VtkObjectActor&) = delete;

    const GlObject* object() const { return m_object; }
    vtkActor* actor() const { return m_actor; }
    /// The length label of lines and splines; null for other objects.
    vtkBillboardTextActor3D* label() const;

    /// Marks the actor as out of date; the renderer calls this when the object emits `changed`.
    void invalidate() { m_dirty = true; }
    /// Reads the object again if it changed since the last update.
    void update();
    /// The slice plane in world coordinates that meshes are cut by or projected onto; ignored unless
    /// cutting meshes. Call after `update`.
    void setCutPlane(const Eigen::Vector3d& origin, const Eigen::Vector3d& normal);
    /// Brings the actor up to date after the object changed and says whether the view shows the change:
    /// always, but for a cut mesh that reaches the cut plane neither as drawn last nor as it is now.
    bool updateShowsChange();

private:
    void updateGeometry();
    void updateProperties();
    /// Whether the mesh as it is now is visible and its bounding box reaches the cut plane.
    bool reachesCutPlane() const;

    const GlObject* m_object;
    vtkActor* m_actor;
    vtkPolyData* m_polyData;
    vtkPolyDataMapper* m_mapper;
    std::unique_ptr<VtkDistanceLabel> m_label;
    vtkPlane* m_cutPlane = nullptr;
    vtkCutter* m_cutter = nullptr;
    // Meshes are large and rarely replaced: their geometry is rebuilt only when the mesh itself changes.
    std::shared_ptr<const Mesh> m_shownMesh;
    bool m_dirty = true;
    bool m_showsProjection = false;
    // The cut plane in world coordinates, and whether the mesh reached it when it was last set.
    Eigen::Vector3d m_planeOrigin = Eigen::Vector3d::Zero();
    Eigen::Vector3d m_planeNormal = Eigen::Vector3d::UnitZ();
    bool m_reachedCutPlane = true;
};

}  // namespace Tesselon
