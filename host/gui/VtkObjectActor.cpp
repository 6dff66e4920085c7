#include "host/gui/VtkObjectActor.h"

#include "host/gl/GlGrid.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/gui/VtkGeometry.h"

#include <vtkActor.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>

namespace Tesselon {

namespace {

void applyMaterial(const GlMesh& mesh, vtkProperty* property)
{
    const GlMesh::Material& material = mesh.material();
    // VTK scales one colour by scalar coefficients; the mean keeps the weight of each Phong term.
    property->SetAmbient(material.ambient.mean());
    property->SetDiffuse(material.diffuse.mean());
    property->SetSpecular(material.specular.mean());
    property->SetSpecularPower(material.shininess);
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
}

}  // namespace

VtkObjectActor::VtkObjectActor(const GlObject* object)
    : m_object(object), m_actor(vtkActor::New()), m_polyData(vtkPolyData::New())
{
    vtkNew<vtkPolyDataMapper> mapper;
    mapper->SetInputData(m_polyData);
    m_actor->SetMapper(mapper);
    update();
}

VtkObjectActor::~VtkObjectActor()
{
    m_actor->Delete();
    m_polyData->Delete();
}

void VtkObjectActor::update()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    updateGeometry();
    updateProperties();
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

    vtkNew<vtkMatrix4x4> objectToWorld;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            objectToWorld->SetElement(row, column, m_object->matrix()(row, column));
    m_actor->SetUserMatrix(objectToWorld);

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
    } else if (const auto* mesh = dynamic_cast<const GlMesh*>(m_object)) {
        applyMaterial(*mesh, property);
    } else {
        property->LightingOff();
    }
}

}  // namespace Tesselon
