#include "host/gl/GlMesh.h"

#include <cmath>

namespace Tesselon {

namespace {

constexpr const char* category = "GlMesh";

bool isFinite(const GlMesh::Material& material)
{
    return material.ambient.allFinite() && material.diffuse.allFinite() && material.specular.allFinite() &&
           std::isfinite(material.shininess);
}

}  // namespace

GlMesh::GlMesh(std::shared_ptr<const Mesh> mesh) : m_mesh(std::move(mesh)) {}

void GlMesh::setMesh(std::shared_ptr<const Mesh> mesh)
{
    assign(m_mesh, mesh);
}

template <class Member>
bool GlMesh::assignMaterial(Member& member, const Material& material)
{
    if (!isFinite(material))
        return reject(category, "Ignoring a material with non-finite terms.");
    Material clamped = material;
    clamped.ambient = clampedColor(material.ambient);
    clamped.diffuse = clampedColor(material.diffuse);
    clamped.specular = clampedColor(material.specular);
    return assign(member, Member(clamped));
}

void GlMesh::setMaterial(const Material& material)
{
    assignMaterial(m_material, material);
}

void GlMesh::setBackMaterial(const Material& material)
{
    assignMaterial(m_backMaterial, material);
}

void GlMesh::setRenderMode(int mode)
{
    if (mode < Surface || mode > Points) {
        reject(category, "Ignoring unknown render mode " + std::to_string(mode) + ".");
        return;
    }
    assign(m_renderMode, static_cast<RenderMode>(mode));
}

void GlMesh::setUseFaceNormals(bool faceNormals)
{
    assign(m_faceNormals, faceNormals);
}

void GlMesh::setProjective(bool projective)
{
    assign(m_projective, projective);
}

}  // namespace Tesselon
