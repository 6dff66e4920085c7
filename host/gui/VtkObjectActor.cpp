#include "host/gui/VtkObjectActor.h"

#include "host/gl/GlGrid.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/gl/GlSpline.h"
#include "host/gui/VtkDistanceLabel.h"
#include "host/gui/VtkGeometry.h"

#include <Eigen/LU>

#include <vtkActor.h>
#include <vtkBillboardTextActor3D.h>
#include <vtkCutter.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkNonMergingPointLocator.h>
#include <vtkPlane.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace Tesselon {

namespace {

void applyTerms(const GlMesh::Material& material, vtkProperty* property)
{
    // VTK scales one colour by scalar coefficients; the mean keeps the weight of each Phong term.
    property->SetAmbient(material.ambient.mean());
    property->SetDiffuse(material.diffuse.mean());
    property->SetSpecular(material.specular.mean());
    property->SetSpecularPower(material.shininess);
}

void applyMaterial(const GlMesh& mesh, vtkActor* actor)
{
    vtkProperty* property = actor->GetProperty();
    applyTerms(mesh.material(), property);
    // Without a back material only the outside is drawn: seen from outside a closed mesh looks the same,
    // and a camera riding inside a tool (a navigation view down the needle) sees past it.
    property->SetBackfaceCulling(!mesh.backMaterial());
    if (mesh.usesFaceNormals())
        property->SetInterpolationToFlat();
    else
        property->SetInterpolationToGouraud();
    switch (mesh.renderMode()) {
        case GlMesh::Wireframe:
            property->SetRepresentationToWireframe();
            break;
        case GlMesh::Points:
            property->SetRepresentationToPoints();
            break;
        case GlMesh::Surface:
        default:
            property->SetRepresentationToSurface();
            break;
    }
    if (!mesh.backMaterial()) {
        actor->SetBackfaceProperty(nullptr);
        return;
    }
    vtkNew<vtkProperty> back;
    back->DeepCopy(property);
    applyTerms(*mesh.backMaterial(), back);
    actor->SetBackfaceProperty(back);
}

// A cut mesh is a thin outline; below this width (pixels) it is hard to see over the image.
constexpr double minimumOutlineWidth = 2.0;
// A projected mesh keeps this fraction of its depth across the plane: flat enough to stay inside the
// slab of a slice view, yet not singular, so VTK can still invert the actor's matrix.
constexpr double projectedDepth = 1e-4;

vtkNew<vtkMatrix4x4> toVtk(const Eigen::Matrix4d& matrix)
{
    vtkNew<vtkMatrix4x4> converted;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            converted->SetElement(row, column, matrix(row, column));
    return converted;
}

/// Maps world points onto the plane (origin, unit normal), all but `projectedDepth` of their distance
/// from it removed.
Eigen::Matrix4d flatteningOnto(const Eigen::Vector3d& origin, const Eigen::Vector3d& normal)
{
    const Eigen::Matrix3d alongNormal = (1.0 - projectedDepth) * normal * normal.transpose();
    Eigen::Matrix4d flattening = Eigen::Matrix4d::Identity();
    flattening.topLeftCorner<3, 3>() -= alongNormal;
    flattening.block<3, 1>(0, 3) = alongNormal * origin;
    return flattening;
}

/// A world plane (origin, normal) in object coordinates: the origin through the inverse pose, the normal
/// through the transposed linear part (the inverse transpose of the object-to-world map's inverse).
std::pair<Eigen::Vector3d, Eigen::Vector3d> planeInObject(const Eigen::Matrix4d& objectToWorld,
                                                          const Eigen::Vector3d& origin,
                                                          const Eigen::Vector3d& normal)
{
    const Eigen::Matrix3d linear = objectToWorld.topLeftCorner<3, 3>();
    return {linear.inverse() * (origin - objectToWorld.block<3, 1>(0, 3)), linear.transpose() * normal};
}

}  // namespace

VtkObjectActor::VtkObjectActor(const GlObject* object, bool cutMeshes)
    : m_object(object),
      m_actor(vtkActor::New()),
      m_polyData(vtkPolyData::New()),
      m_mapper(vtkPolyDataMapper::New())
{
    if (cutMeshes && dynamic_cast<const GlMesh*>(object)) {
        m_cutPlane = vtkPlane::New();
        m_cutter = vtkCutter::New();
        m_cutter->SetCutFunction(m_cutPlane);
        // An outline is only drawn: merging its duplicate points would cost a spatial hash per cut.
        vtkNew<vtkNonMergingPointLocator> everyPoint;
        m_cutter->SetLocator(everyPoint);
        m_cutter->SetInputData(m_polyData);
        m_mapper->SetInputConnection(m_cutter->GetOutputPort());
    } else {
        m_mapper->SetInputData(m_polyData);
    }
    m_actor->SetMapper(m_mapper);
    if (dynamic_cast<const GlLine*>(object) || dynamic_cast<const GlSpline*>(object))
        m_label = std::make_unique<VtkDistanceLabel>();
    update();
}

vtkBillboardTextActor3D* VtkObjectActor::label() const
{
    return m_label ? m_label->actor() : nullptr;
}

VtkObjectActor::~VtkObjectActor()
{
    m_actor->Delete();
    m_mapper->Delete();
    if (m_cutter) {
        m_cutter->Delete();
        m_cutPlane->Delete();
    }
    m_polyData->Delete();
}

void VtkObjectActor::setCutPlane(const Eigen::Vector3d& origin, const Eigen::Vector3d& normal)
{
    if (!m_cutter)
        return;
    // Changes of the object update the reach themselves; here only a moved plane does.
    if (origin != m_planeOrigin || normal != m_planeNormal) {
        m_planeOrigin = origin;
        m_planeNormal = normal;
        m_reachedCutPlane = reachesCutPlane();
    }
    const bool projective = static_cast<const GlMesh*>(m_object)->isProjective();
    if (projective != m_showsProjection) {
        m_showsProjection = projective;
        if (projective)
            m_mapper->SetInputData(m_polyData);
        else
            m_mapper->SetInputConnection(m_cutter->GetOutputPort());
    }
    if (projective) {
        m_actor->SetUserMatrix(toVtk(flatteningOnto(origin, normal.normalized()) * m_object->matrix()));
        return;
    }
    // The mesh is cut in object coordinates, where its points are.
    const auto [originInObject, normalInObject] = planeInObject(m_object->matrix(), origin, normal);
    m_cutPlane->SetOrigin(originInObject.data());
    m_cutPlane->SetNormal(normalInObject.data());
}

bool VtkObjectActor::updateShowsChange()
{
    invalidate();
    if (!m_cutter)
        return true;
    update();
    const bool reachedBefore = std::exchange(m_reachedCutPlane, reachesCutPlane());
    return reachedBefore || m_reachedCutPlane;
}

bool VtkObjectActor::reachesCutPlane() const
{
    if (!m_object->isVisible())
        return false;
    if (static_cast<const GlMesh*>(m_object)->isProjective())
        return true;
    // The cutter draws an outline exactly when the plane separates some of the mesh's points.
    const auto [origin, normal] = planeInObject(m_object->matrix(), m_planeOrigin, m_planeNormal);
    double nearest = std::numeric_limits<double>::infinity();
    double farthest = -nearest;
    vtkPoints* points = m_polyData->GetPoints();
    for (vtkIdType index = 0; points && index < points->GetNumberOfPoints(); ++index) {
        const double distance = normal.dot(Eigen::Vector3d(points->GetPoint(index)) - origin);
        nearest = std::min(nearest, distance);
        farthest = std::max(farthest, distance);
    }
    return nearest <= 0.0 && farthest >= 0.0;
}

void VtkObjectActor::update()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    updateGeometry();
    updateProperties();
    if (m_label)
        m_label->update(static_cast<const GlPointBasedAnnotation&>(*m_object));
}

void VtkObjectActor::updateGeometry()
{
    if (const auto* mesh = dynamic_cast<const GlMesh*>(m_object)) {
        if (mesh->mesh() == m_shownMesh && m_shownMesh)
            return;
        m_shownMesh = mesh->mesh();
    }
    VtkGeometry::fill(*m_object, m_polyData);
    m_polyData->Modified();
}

void VtkObjectActor::updateProperties()
{
    m_actor->SetVisibility(m_object->isVisible());

    m_actor->SetUserMatrix(toVtk(m_object->matrix()));

    vtkProperty* property = m_actor->GetProperty();
    const auto* grid = dynamic_cast<const GlGrid*>(m_object);
    const Eigen::Vector3d& color = grid ? grid->lineColor() : m_object->color();
    property->SetColor(color.x(), color.y(), color.z());
    property->SetOpacity(m_object->opacity());
    property->SetLineWidth(static_cast<float>(m_object->lineWidth()));
    if (const auto* annotation = dynamic_cast<const GlPointBasedAnnotation*>(m_object)) {
        property->SetPointSize(static_cast<float>(annotation->pointSize()));
        property->SetRenderPointsAsSpheres(true);
        // Annotations are flat markers: unlit, so their colour reads the same from every side.
        property->LightingOff();
    } else if (m_cutter) {
        property->LightingOff();
        property->SetLineWidth(static_cast<float>(std::max(m_object->lineWidth(), minimumOutlineWidth)));
    } else if (const auto* mesh = dynamic_cast<const GlMesh*>(m_object)) {
        applyMaterial(*mesh, m_actor);
    } else {
        property->LightingOff();
    }
}

}  // namespace Tesselon
